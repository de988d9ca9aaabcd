// The real engine, port driver and event loop against the real printer-sim over a
// pseudo-terminal, for the one model rule a silent command line cannot select that talks with
// the printer: the FPGA dialogue of models 310 and 312, with real replies in real time.
#include "download/MainDialog.h"
#include "platform/EventLoop.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"
#include "support/PtyPrinterSim.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

using namespace enginefakes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

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
    // The refusal rules are unit-tested; these are a whole dialogue over a real line and a
    // printer that never answers, in real time.
    const Case cases[] = {
        {{"--version", "1.35", "--fpga", "4"}, 1, nullptr},
        {{}, 1, "Please check version of FW."}, // a printer that never answers
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        PtyPrinterSim sim(dir.path(""), c.simArgs);
        ASSERT_TRUE(sim.ready());
        const auto image = fpgaImage(c.type, 150000);
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
