// Download engine benchmarks, each reported against a baseline measured in the same run:
//  1. 1 MiB over the serial path to a pseudo-terminal (printer-sim reading it): wall time of
//     the sending phase against the ideal schedule (packets x 10 ms), goal within 2 %; CPU time
//     of the process during it against that wall time, goal under 5 %.
//  2. The real program over TCP: time from process start to the first byte at the printer,
//     against the time to start and end a trivial process (goal within 20 ms of it), and how
//     much of it is loading the program (--version).
//  3. The real program sending a 64 MiB image: peak memory against the image size, goal image +
//     4 MiB at most (the image is read once and never copied).
// Run from the build tree: build/bench/engine_transfer
#include "engine/MainDialog.h"
#include "platform/EventLoop.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "support/PtyPrinterSim.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void writeFile(const std::string& path, size_t size) {
    std::vector<char> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = char(i * 131 + 7);
    }
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(size));
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class NullReporter final : public Reporter {
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

void serialPacing(const std::string& dir) {
    PtyPrinterSim sim(dir, {});
    if (!sim.ready()) {
        std::printf("serial pacing: printer-sim did not start\n");
        return;
    }
    const size_t size = 1u << 20;
    writeFile(dir + "/serial.fls", size);

    auto loop = makeSilentEventLoop();
    // The sending phase ends when the settle (or failure) step is armed.
    Clock::time_point end;
    double cpuEnd = 0;
    SendPhaseView view(*loop, [&](int32_t) {
        end = Clock::now();
        cpuEnd = cpuSeconds();
    });
    PortDriver port{systemDeviceFactory(), systemClock()};
    NetPort socket{systemSocketFactory()};
    NoQueues queues;
    NullReporter reporter;
    MainDialog dialog(view, port, socket, queues, reporter, systemClock());
    dialog.silentRun = 1;
    dialog.modelCode = 1111;
    dialog.portSettings.portName = "COM1";
    dialog.portSettings.baudRate = 115200;
    dialog.portSettings.dataBits = 8;
    dialog.portSettings.readBufferSize = 8192;
    dialog.portSettings.spareBufferSize = 4096;
    dialog.firmwarePath = dir + "/serial.fls";
    dialog.startDownload();
    // The sending phase starts when the first timer is armed, at the end of startDownload.
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    loop->run([&](int32_t id) { dialog.onTimer(id); });
    dialog.onDestroy();
    sim.stop();

    const size_t packets = (size + 4095) / 4096;
    const double ideal = double(packets) * 0.010;
    const double wall = std::chrono::duration<double>(end - start).count();
    const double cpu = cpuEnd - cpuStart;
    std::printf("serial 1 MiB, %zu packets%s\n", packets,
                view.lastStep == 3 ? " (WRITE FAILED)" : "");
    std::printf("  sending phase      %8.1f ms   ideal %8.1f ms   ratio %.4f (goal <= 1.02)\n",
                wall * 1e3, ideal * 1e3, wall / ideal);
    std::printf("  CPU during it      %8.1f ms   share of wall %.2f %% (goal < 5 %%)\n", cpu * 1e3,
                100.0 * cpu / wall);
}

// A listener on 127.0.0.1 that takes in a whole stream.
struct Listener {
    int fd = -1;
    uint16_t port = 0;
    Listener() {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        listen(fd, 1);
    }
    ~Listener() { close(fd); }
};

pid_t startProgram(const std::string& dir, const std::string& file, uint16_t port) {
    return spawnProcess({dir + "/bin/mirelith", "-s", "-p", "NET", "127.0.0.1", "-tcpport",
                         std::to_string(port), "-m", "T90 Prime", "-f", file},
                        dir);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Seconds from starting args to their end.
double startToEnd(std::vector<std::string> args) {
    const auto start = Clock::now();
    const pid_t child = spawnProcess(std::move(args));
    waitpid(child, nullptr, 0);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds from the program's start to the first byte at a printer on 127.0.0.1; < 0 when none
// came.
double toFirstByte(const std::string& dir) {
    Listener listener;
    const auto start = Clock::now();
    const pid_t child = startProgram(dir, "small.fls", listener.port);
    const int connection = accept(listener.fd, nullptr, nullptr);
    char byte;
    const bool got = recv(connection, &byte, 1, MSG_WAITALL) == 1;
    const double toFirst = std::chrono::duration<double>(Clock::now() - start).count();
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    close(connection);
    return got ? toFirst : -1;
}

// Each figure is the median of several starts: on a shared machine one start may wait a
// scheduler slice for a core. Loading the program is measured by --version, which does nothing
// else; the rest of the way to the first byte is the program's start-up, the connect and the
// engine's first 10 ms step.
void firstByte(const std::string& dir) {
    writeFile(dir + "/small.fls", 4096);
    constexpr int kStarts = 7;
    std::vector<double> trivial, loaded, first;
    bool allArrived = true;
    for (int i = 0; i < kStarts; ++i) {
        trivial.push_back(startToEnd({"/bin/true"}));
        loaded.push_back(startToEnd({dir + "/bin/mirelith", "--version"}));
        const double toFirst = toFirstByte(dir);
        allArrived = allArrived && toFirst >= 0;
        first.push_back(toFirst);
    }
    const double baseline = median(trivial);
    const double toFirst = median(first);
    std::printf("TCP start to first byte, median of %d starts%s\n", kStarts,
                allArrived ? "" : " (NO BYTE in some)");
    std::printf("  first byte         %8.2f ms   trivial process %6.2f ms   ratio %.1f\n",
                toFirst * 1e3, baseline * 1e3, toFirst / baseline);
    std::printf("  first byte - trivial process %6.2f ms (goal <= 20)\n",
                (toFirst - baseline) * 1e3);
    std::printf("  of it: the program loaded and ended (--version) %6.2f ms\n",
                median(loaded) * 1e3);
}

// Peak resident memory of the program sending `file` (killed once the printer has it all).
double peakOf(const std::string& dir, const std::string& file, size_t size) {
    Listener listener;
    const pid_t child = startProgram(dir, file, listener.port);
    const int connection = accept(listener.fd, nullptr, nullptr);
    std::vector<char> buffer(1 << 20);
    size_t total = 0;
    ssize_t n;
    while (total < size && (n = recv(connection, buffer.data(), buffer.size(), 0)) > 0) {
        total += size_t(n);
    }
    // The high-water mark of the program's own address space (a spawned child's rusage can
    // carry the parent's before exec). The settle phase that follows holds no more memory.
    double peak = 0;
    std::ifstream status("/proc/" + std::to_string(child) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            peak = std::strtod(line.c_str() + 6, nullptr) * 1024.0;
        }
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    close(connection);
    if (total != size) {
        std::printf("  (only %zu of %zu bytes arrived)\n", total, size);
    }
    return peak;
}

void peakMemory(const std::string& dir) {
    const size_t size = 64u << 20;
    writeFile(dir + "/large.fls", size);
    // Baseline: the same program sending a 4 KiB image (code, libraries, runtime).
    const double baseline = peakOf(dir, "small.fls", 4096);
    const double peak = peakOf(dir, "large.fls", size);
    const double mib = 1 << 20;
    std::printf("64 MiB image over TCP\n");
    std::printf("  peak memory        %8.1f MiB  with a 4 KiB image %6.1f MiB\n", peak / mib,
                baseline / mib);
    std::printf("  growth - image     %8.1f MiB  (goal <= 4)\n",
                (peak - baseline - double(size)) / mib);
}

} // namespace

int main() {
    char pattern[] = "/tmp/mirelith-bench.XXXXXX";
    const std::string dir = mkdtemp(pattern);
    mkdir((dir + "/bin").c_str(), 0755);
    // The program's copy keeps its log file in the scratch directory.
    std::ifstream source(buildTreeDir() + "/main/mirelith", std::ios::binary);
    std::ofstream(dir + "/bin/mirelith", std::ios::binary) << source.rdbuf();
    chmod((dir + "/bin/mirelith").c_str(), 0755);

    serialPacing(dir);
    firstByte(dir);
    peakMemory(dir);
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
