// Port costs as ratios against baselines measured in the same run:
// - CPU used by an open serial port whose reader thread is idle, against the same process
//   sleeping for the same wall time with no port open;
// - the TCP send of a 64 MiB image over 127.0.0.1 through NetPort, against a plain memory copy
//   of the same 64 MiB.
#include "PortTcpListener.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <pty.h>
#include <unistd.h>
#endif

namespace {
using Steady = std::chrono::steady_clock;

double processCpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](FILETIME f) {
        return (static_cast<uint64_t>(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
#else
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}

double cpuDuring(std::chrono::milliseconds wall) {
    const double start = processCpuSeconds();
    std::this_thread::sleep_for(wall);
    return processCpuSeconds() - start;
}

double seconds(Steady::duration d) {
    return std::chrono::duration<double>(d).count();
}

// A serial device with nothing to say, for hosts where the bench cannot make a real one.
class IdleSerial final : public SerialDevice {
  public:
    bool getLineSettings(SerialLineSettings&) override { return true; }
    bool setLineSettings(const SerialLineSettings&) override { return true; }
    bool modemStatus(ModemLines& l) override {
        l = {true, true};
        return true;
    }
    bool setTimeouts(const CommTimeouts&) override { return true; }
    bool purge() override { return true; }
    bool inputQueued(uint32_t& c) override {
        c = 0;
        return true;
    }
    IoResult write(const uint8_t*, uint32_t n) override { return {true, n, 0}; }
    IoResult read(uint8_t*, uint32_t) override { return {true, 0, 0}; }
    void cancelIo() override {}
};

class IdleFactory final : public DeviceFactory {
  public:
    std::unique_ptr<SerialDevice> openSerial(const std::string&) override {
        return std::make_unique<IdleSerial>();
    }
    std::unique_ptr<FileDevice> openParallel(const std::string&) override { return nullptr; }
    std::unique_ptr<FileDevice> openUsb(const std::string&) override { return nullptr; }
};

void benchIdleReader() {
    constexpr auto kWall = std::chrono::milliseconds(3000);
    PortSettings s;
    s.portName = "COM7";
    s.baudRate = 9600;
    s.dataBits = 8;
    s.readBufferSize = 8192;

    IdleFactory idle;
    DeviceFactory* devices = &idle;
    const char* what = "in-memory idle device";
#ifndef _WIN32
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
        ::setenv("MIRELITH_COM7", name, 1);
        devices = &systemDeviceFactory();
        what = "pseudo-terminal";
    }
#endif
    const double baseline = cpuDuring(kWall);
    PortDriver port(*devices, systemClock());
    if (port.configure(s) != 1 || port.open(0) != 1) {
        std::printf("idle reader: could not open the port\n");
        return;
    }
    const double withReader = cpuDuring(kWall);
    port.close();
#ifndef _WIN32
    ::close(master);
    ::close(slave);
#endif
    const double wall = std::chrono::duration<double>(kWall).count();
    std::printf("idle serial reader (%s): %.4f CPU s over %.1f s wall (%.3f%% of one core); "
                "baseline %.4f CPU s; extra CPU per wall second %.5f\n",
                what, withReader, wall, 100.0 * withReader / wall, baseline,
                (withReader - baseline) / wall);
}

void benchTcpSend() {
    constexpr size_t kSize = 64u << 20;
    std::vector<uint8_t> image(kSize);
    for (size_t i = 0; i < kSize; ++i) {
        image[i] = patternByte(i);
    }
    std::vector<uint8_t> copy(kSize);
    // Baseline: touch the destination once, then time the copy.
    std::memset(copy.data(), 0, kSize);
    const auto c0 = Steady::now();
    std::memcpy(copy.data(), image.data(), kSize);
    const double copySeconds = seconds(Steady::now() - c0);

    PortTcpListener sink;
    NetPort port{systemSocketFactory()};
    if (port.create() != 1 || port.connect("127.0.0.1", sink.port()) != 1) {
        std::printf("tcp send: could not connect\n");
        return;
    }
    const auto t0 = Steady::now();
    const int32_t sent = port.send(image.data(), static_cast<int32_t>(kSize), 0);
    port.close();
    sink.finish();
    const double sendSeconds = seconds(Steady::now() - t0);
    std::printf("tcp send of 64 MiB: %.3f s (%s, %llu bytes received, %llu wrong); memcpy of "
                "64 MiB: %.4f s; ratio send/memcpy %.1f\n",
                sendSeconds, sent == static_cast<int32_t>(kSize) ? "whole" : "FAILED",
                static_cast<unsigned long long>(sink.received()),
                static_cast<unsigned long long>(sink.mismatches()), copySeconds,
                sendSeconds / copySeconds);
}
} // namespace

int main() {
    benchIdleReader();
    benchTcpSend();
    return 0;
}
