// The sending phase under the Qt window: 1 MiB over the serial path to a pseudo-terminal
// (printer-sim reading it), the engine hosted by the real main window (its bar repainted on
// every packet) with its timers on Qt's event loop. Wall time against the ideal schedule
// (packets x 10 ms), goal within 2 %, as the silent host's benchmark measures it.
// Run from the build tree: build/bench/engine_transfer_qt (offscreen unless a platform is set).
#include "platform/Clock.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "printqueues/QueueRedirection.h"
#include "support/PtyPrinterSim.h"
#include "ui/qt/QtLook.h"
#include "ui/qt/QtMainWindow.h"

#include <QApplication>
#include <QEventLoop>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

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
    {
        std::vector<char> bytes(size);
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = char(i * 131 + 7);
        }
        std::ofstream(dir + "/serial.fls", std::ios::binary)
            .write(bytes.data(), std::streamsize(size));
    }

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

    using Clock = std::chrono::steady_clock;
    QEventLoop loop;
    Clock::time_point end;
    int32_t lastStep = 0;
    // The sending phase ends when the settle (or failure) step is armed.
    window.onTimerArmed = [&](int32_t id) {
        if (id == 3 || id == 4) {
            end = Clock::now();
            lastStep = id;
            loop.quit();
        }
    };
    window.show();
    engine.startDownload();
    // The sending phase starts when the first timer is armed, at the end of startDownload.
    const auto start = Clock::now();
    loop.exec();
    engine.onDestroy();
    sim.stop();
    std::system(("rm -rf '" + dir + "'").c_str());

    const size_t packets = (size + 4095) / 4096;
    const double ideal = double(packets) * 0.010;
    const double wall = std::chrono::duration<double>(end - start).count();
    std::printf("serial 1 MiB under the Qt window, %zu packets%s\n", packets,
                lastStep == 3 ? " (WRITE FAILED)" : "");
    std::printf("  sending phase      %8.1f ms   ideal %8.1f ms   ratio %.4f (goal <= 1.02)\n",
                wall * 1e3, ideal * 1e3, wall / ideal);
    return lastStep == 4 ? 0 : 1;
}
