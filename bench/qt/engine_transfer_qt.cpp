// The sending phase under the Qt window, each figure against a baseline measured in the same run:
//  1. 1 MiB over the serial path to a pseudo-terminal (printer-sim reading it), the engine hosted
//     by the real main window (its bar repainted on every packet) with its timers on Qt's event
//     loop. Wall time against the ideal schedule (packets x 10 ms), goal within 2 %, as the
//     silent host's benchmark measures it.
//  2. 8 MiB over TCP to a printer on 127.0.0.1 that takes it in slowly, from the Download click
//     (connect included) to the settle step: the window's time against the same engine on the
//     silent host's loop (goal within 2 %), and the longest the window's thread went without
//     handling an event meanwhile (a 5 ms heartbeat timer; a window that keeps painting stays
//     near 5 ms, one blocked by the socket stays out for the whole send).
// Run from the build tree: build/bench/engine_transfer_qt (offscreen unless a platform is set).
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "printqueues/QueueRedirection.h"
#include "support/PtyPrinterSim.h"
#include "ui/qt/QtLook.h"
#include "ui/qt/QtMainWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using SteadyClock = std::chrono::steady_clock;

class PrintingReporter final : public Reporter {
  public:
    void report(int32_t, LogLevel level, std::string text) override {
        if (level == LogLevel::Notice) {
            std::fprintf(stderr, "report: %s\n", text.c_str());
        }
    }
};

class NoQueues final : public QueueRedirection {
  public:
    void redirectPrinterQueues(std::string, std::string) override {}
    void restorePrinterQueues() override {}
};

class NoUsb final : public UsbPrinterSource {
  public:
    std::vector<std::string> attachedPrinterPaths(int32_t) override { return {}; }
};

void writeImage(const std::string& path, size_t size) {
    std::vector<char> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = char(i * 131 + 7);
    }
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(size));
}

// A printer on 127.0.0.1 that takes 64 KiB every 5 ms through a small receive buffer, on a
// thread of its own so that it reads whatever the window's thread is doing.
class SlowTcpPrinter {
  public:
    SlowTcpPrinter() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int small = 64 * 1024;
        ::setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        ::listen(listener_, 1);
        reader_ = std::thread([this] {
            const int peer = ::accept(listener_, nullptr, nullptr);
            std::vector<char> buffer(64 * 1024);
            ssize_t n;
            while (peer >= 0 && (n = ::recv(peer, buffer.data(), buffer.size(), 0)) > 0) {
                received += size_t(n);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            if (peer >= 0) {
                ::close(peer);
            }
        });
    }
    ~SlowTcpPrinter() {
        ::shutdown(listener_, SHUT_RDWR);
        reader_.join();
        ::close(listener_);
    }
    uint16_t port = 0;
    std::atomic<size_t> received{0};

  private:
    int listener_ = -1;
    std::thread reader_;
};

void setTcpJob(MainDialog& engine, uint16_t port, const std::string& file) {
    engine.modelCode = 1112;
    engine.modelName = "T90 Prime";
    engine.portSettings.portName = "127.0.0.1";
    engine.portSettings.baudRate = port;
    engine.firmwarePath = file;
}

struct TcpPhase {
    double wallMs = 0;
    double longestGapMs = 0;
    bool settled = false;
};

// The same engine on the silent host's loop: no window, nothing else to do meanwhile.
TcpPhase tcpOnSilentLoop(const std::string& file) {
    SlowTcpPrinter printer;
    auto loop = makeSilentEventLoop();
    SteadyClock::time_point end;
    SendPhaseView view(*loop, [&](int32_t) { end = SteadyClock::now(); });
    PortDriver port{systemDeviceFactory(), systemClock()};
    NetPort socket{systemSocketFactory()};
    NoQueues queues;
    PrintingReporter reporter;
    MainDialog engine(view, port, socket, queues, reporter, systemClock());
    engine.silentRun = 1;
    setTcpJob(engine, printer.port, file);
    const auto start = SteadyClock::now();
    engine.startDownload();
    loop->run([&](int32_t id) { engine.onTimer(id); });
    engine.onDestroy();
    return {std::chrono::duration<double, std::milli>(end - start).count(), 0, view.lastStep == 4};
}

TcpPhase tcpUnderWindow(QtMainWindow& window, const std::string& file) {
    SlowTcpPrinter printer;
    MainDialog& engine = window.engine();
    setTcpJob(engine, printer.port, file);
    QEventLoop loop;
    TcpPhase phase;
    SteadyClock::time_point start;
    SteadyClock::time_point lastBeat;
    const auto beat = [&] {
        const SteadyClock::time_point now = SteadyClock::now();
        phase.longestGapMs = std::max(
            phase.longestGapMs, std::chrono::duration<double, std::milli>(now - lastBeat).count());
        lastBeat = now;
    };
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, beat);
    window.onTimerArmed = [&](int32_t id) {
        if (id == 3 || id == 4) {
            beat();
            phase.wallMs =
                std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
            phase.settled = id == 4;
            heartbeat.stop();
            loop.quit();
        }
    };
    // Clicked from the loop, as a user's click arrives.
    QTimer::singleShot(0, &window, [&] {
        start = lastBeat = SteadyClock::now();
        heartbeat.start();
        engine.onDownloadClicked();
    });
    loop.exec();
    window.onTimerArmed = nullptr;
    engine.onDestroy();
    return phase;
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    initQtResources();

    char pattern[] = "/tmp/mirelith-bench-qt.XXXXXX";
    const std::string dir = mkdtemp(pattern);
    PtyPrinterSim sim(dir, {});
    if (!sim.ready()) {
        std::printf("serial pacing under Qt: printer-sim did not start\n");
        return 1;
    }
    const size_t size = 1u << 20;
    writeImage(dir + "/serial.fls", size);
    const size_t tcpSize = 8u << 20;
    writeImage(dir + "/tcp.fls", tcpSize);

    PortDriver port{systemDeviceFactory(), systemClock()};
    NetPort socket{systemSocketFactory()};
    NoQueues queues;
    PrintingReporter reporter;
    NoUsb usb;
    QtMainWindow window({}, {port, socket, queues, reporter, systemClock(), usb});
    MainDialog& engine = window.engine();
    engine.modelCode = 1111;
    engine.portSettings.portName = "COM1";
    engine.portSettings.baudRate = 115200;
    engine.portSettings.dataBits = 8;
    engine.portSettings.readBufferSize = 8192;
    engine.portSettings.spareBufferSize = 4096;
    engine.firmwarePath = dir + "/serial.fls";

    QEventLoop loop;
    SteadyClock::time_point end;
    int32_t lastStep = 0;
    // The sending phase ends when the settle (or failure) step is armed.
    window.onTimerArmed = [&](int32_t id) {
        if (id == 3 || id == 4) {
            end = SteadyClock::now();
            lastStep = id;
            loop.quit();
        }
    };
    window.show();
    engine.startDownload();
    // The sending phase starts when the first timer is armed, at the end of startDownload.
    const auto start = SteadyClock::now();
    loop.exec();
    window.onTimerArmed = nullptr;
    engine.onDestroy();
    sim.stop();

    const size_t packets = (size + 4095) / 4096;
    const double ideal = double(packets) * 0.010;
    const double wall = std::chrono::duration<double>(end - start).count();
    std::printf("serial 1 MiB under the Qt window, %zu packets%s\n", packets,
                lastStep == 3 ? " (WRITE FAILED)" : "");
    std::printf("  sending phase      %8.1f ms   ideal %8.1f ms   ratio %.4f (goal <= 1.02)\n",
                wall * 1e3, ideal * 1e3, wall / ideal);

    const TcpPhase silent = tcpOnSilentLoop(dir + "/tcp.fls");
    const TcpPhase windowed = tcpUnderWindow(window, dir + "/tcp.fls");
    std::system(("rm -rf '" + dir + "'").c_str());
    std::printf("TCP 8 MiB to a slow reader, connect to settle step%s\n",
                silent.settled && windowed.settled ? "" : " (A SEND FAILED)");
    std::printf(
        "  under the window   %8.1f ms   silent loop %8.1f ms   ratio %.4f (goal <= 1.02)\n",
        windowed.wallMs, silent.wallMs, windowed.wallMs / silent.wallMs);
    std::printf("  window's longest wait between events %8.1f ms (heartbeat 5 ms; goal <= 50)\n",
                windowed.longestGapMs);
    return lastStep == 4 && silent.settled && windowed.settled ? 0 : 1;
}
