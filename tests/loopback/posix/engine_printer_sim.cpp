// The real engine, port driver and event loop against the real printer-sim over a
// pseudo-terminal, for the one model rule a silent command line cannot select that talks with
// the printer: the FPGA dialogue of models 310 and 312, with real replies in real time.
#include "download/MainDialog.h"
#include "platform/EventLoop.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace enginefakes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::string simPath() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string self(buffer, n > 0 ? size_t(n) : 0);
    return self.substr(0, self.rfind('/')) + "/../tools/printer-sim";
}

// printer-sim on a pseudo-terminal for one test; COM1 points at it.
class Sim {
  public:
    Sim(const ScratchDir& dir, std::vector<std::string> args) : dir_(dir) {
        args.insert(args.begin(), {simPath(), "--pty", "--info-file", dir.path("sim.info"),
                                   "--output", dir.path("received.bin")});
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
            return;
        }
        for (int i = 0; i < 200 && pty_.empty(); ++i) {
            std::ifstream info(dir.path("sim.info"));
            std::string line;
            while (std::getline(info, line)) {
                if (line.rfind("pty=", 0) == 0) {
                    pty_ = line.substr(4);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        setenv("MIRELITH_COM1", pty_.c_str(), 1);
    }
    ~Sim() { stop(); }

    bool ready() const { return pid_ > 0 && !pty_.empty(); }

    // Stops the simulator and returns what it stored.
    std::vector<uint8_t> received() {
        stop();
        std::ifstream in(dir_.path("received.bin"), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

  private:
    void stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

    const ScratchDir& dir_;
    pid_t pid_ = -1;
    std::string pty_;
};

// A window over the real event loop that ends the run when the send phase is over (the settle
// phase that follows only moves the bar).
class SendPhaseView final : public MainDialogView {
  public:
    explicit SendPhaseView(EventLoop& loop) : loop_(loop) {}
    void setTimer(int32_t id, uint32_t intervalMs) override {
        loop_.setTimer(id, intervalMs);
        if (id == 4 || id == 3) {
            lastStep = id;
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
};

std::vector<uint8_t> fpgaImage(int type) {
    auto bytes = patternBytes(150000);
    bytes[9] = 'D';
    bytes[10] = 'x';
    bytes[40] = 0xCF;
    bytes[41] = type == 2 ? '!' : 'A';
    bytes[42] = type == 1 ? 0xA1 : 0x00;
    bytes[43] = 0x03;
    return bytes;
}

struct Outcome {
    std::vector<std::string> reports;
    int32_t lastStep = 0;
};

Outcome runJob(int32_t modelCode, const std::string& path) {
    auto loop = makeSilentEventLoop();
    SendPhaseView view(*loop);
    PortDriver port;
    NetPort socket;
    RecordingQueues queues;
    RecordingReporter reporter;
    MainDialog dialog(view, port, socket, queues, reporter, systemClock());
    dialog.silentRun = 1;
    dialog.modelCode = modelCode;
    dialog.portSettings.portName = "COM1";
    dialog.portSettings.baudRate = 115200;
    dialog.portSettings.dataBits = 8;
    dialog.portSettings.readBufferSize = 8192;
    dialog.portSettings.spareBufferSize = 4096;
    dialog.firmwarePath = path;
    dialog.startDownload();
    loop->run([&](int32_t id) { dialog.onTimer(id); });
    // A real run settles for seconds before it closes the port; give the printer the time to
    // take in the last packet before this one closes it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    dialog.onDestroy();
    return {reporter.texts(), view.lastStep};
}

TEST(EnginePrinterSim, FpgaDialogueWithThePrinter) {
    struct Case {
        std::vector<std::string> simArgs;
        int type;
        const char* report; // nullptr: accepted
    };
    // The rules are unit-tested; these are the answers as a real line delivers them.
    const Case cases[] = {
        {{"--version", "1.35", "--fpga", "4"}, 1, nullptr},
        {{"--version", "1.35", "--fpga", "8"}, 1, "Please Check the device type of FPGA."},
        {{"--version", "1.20", "--fpga", "4"}, 1, "Please check version of FW."},
        {{"--version", "1.35", "--fpga", "4", "--short-reply", "fpga"},
         1,
         "You need to check version of FW!!!"},
        {{}, 1, "Please check version of FW."}, // a printer that never answers
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        Sim sim(dir, c.simArgs);
        ASSERT_TRUE(sim.ready());
        const auto image = fpgaImage(c.type);
        const Outcome outcome = runJob(312, dir.file("fw.fls", image));
        const auto received = sim.received();
        if (c.report == nullptr) {
            EXPECT_THAT(outcome.reports, IsEmpty()) << c.simArgs.size();
            EXPECT_EQ(outcome.lastStep, 4);
            EXPECT_EQ(received, image); // the queries are not part of the image
        } else {
            EXPECT_THAT(outcome.reports, ElementsAre(c.report));
            EXPECT_THAT(received, IsEmpty());
        }
    }
}

} // namespace
