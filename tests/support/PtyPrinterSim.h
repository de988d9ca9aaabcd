#pragma once
// For programs that drive the real engine against the real printer-sim over a pseudo-terminal
// (the engine loopback test and the engine benchmark, both run from the build tree): the
// simulator as a child process with COM1 pointed at its terminal, and a window that ends the
// event loop when the sending phase is over.
#include "engine/MainDialogView.h"
#include "platform/EventLoop.h"

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

// The build directory: test and benchmark programs sit one level below it.
inline std::string buildTreeDir() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string self(buffer, n > 0 ? size_t(n) : 0);
    self = self.substr(0, self.rfind('/'));
    return self.substr(0, self.rfind('/'));
}

// Starts args[0] with the rest as its arguments, optionally in workDir; -1 on failure.
inline pid_t spawnProcess(std::vector<std::string> args, const std::string& workDir = "") {
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workDir.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    }
    pid_t pid = -1;
    const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started ? pid : -1;
}

// printer-sim on a pseudo-terminal, storing what it receives in workDir/received.bin; COM1
// points at its terminal while it lives.
class PtyPrinterSim {
  public:
    PtyPrinterSim(const std::string& workDir, std::vector<std::string> extraArgs)
        : received_(workDir + "/received.bin") {
        const std::string info = workDir + "/sim.info";
        std::vector<std::string> args{buildTreeDir() + "/tools/printer-sim", "--pty"};
        args.insert(args.end(), {"--info-file", info, "--output", received_});
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        pid_ = spawnProcess(args);
        for (int i = 0; pid_ > 0 && i < 200 && pty_.empty(); ++i) {
            std::ifstream in(info);
            std::string line;
            while (std::getline(in, line)) {
                if (line.rfind("pty=", 0) == 0) {
                    pty_ = line.substr(4);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        setenv("MIRELITH_COM1", pty_.c_str(), 1);
    }
    ~PtyPrinterSim() { stop(); }
    PtyPrinterSim(const PtyPrinterSim&) = delete;
    PtyPrinterSim& operator=(const PtyPrinterSim&) = delete;

    bool ready() const { return pid_ > 0 && !pty_.empty(); }

    // Stops the simulator and returns what it stored.
    std::vector<uint8_t> received() {
        stop();
        std::ifstream in(received_, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    void stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

  private:
    std::string received_;
    pid_t pid_ = -1;
    std::string pty_;
};

// A window over the real event loop that ends the run when the send phase is over (timer 4,
// the settle phase that only moves the bar, or timer 3, a failed write) and says which.
class SendPhaseView final : public MainDialogView {
  public:
    SendPhaseView(
        EventLoop& loop, std::function<void(int32_t step)> onEnd = [](int32_t) {})
        : loop_(loop), onEnd_(std::move(onEnd)) {}
    void setTimer(int32_t id, uint32_t intervalMs) override {
        loop_.setTimer(id, intervalMs);
        if (id == 3 || id == 4) {
            lastStep = id;
            onEnd_(id);
            loop_.close();
        }
    }
    void killTimer(int32_t id) override { loop_.killTimer(id); }
    void repaintWindow() override {}
    void repaintProgressBar() override {}
    void enableControl(int32_t, bool) override {}
    void showHelpText(const std::string&) override {}
    void showCompletionDialog() override {}
    void closeWindow() override { loop_.close(); }

    int32_t lastStep = 0;

  private:
    EventLoop& loop_;
    std::function<void(int32_t)> onEnd_;
};
