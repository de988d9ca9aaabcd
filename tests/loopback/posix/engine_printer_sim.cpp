// The real engine, port driver and event loop against printer-sim over a pseudo-terminal: the
// FPGA dialogue of models 310 and 312 (which a silent command line cannot select) with real
// replies in real time, and so the serial port's traffic both ways through the reader thread.
#include "engine/MainDialog.h"
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
using ::testing::IsEmpty;

namespace {

// A printer of version 1.35 with FPGA type 4 takes a type-1 image.
TEST(EnginePrinterSim, FpgaDialogueWithThePrinter) {
    const auto image = fpgaImage(1, 150000);
    ScratchDir dir;
    PtyPrinterSim sim(dir.path(""), {"--version", "1.35", "--fpga", "4"});
    ASSERT_TRUE(sim.ready());
    auto loop = makeSilentEventLoop();
    SendPhaseView view(*loop);
    PortDriver port{systemDeviceFactory(), systemClock()};
    NetPort socket{systemSocketFactory()};
    RecordingQueues queues;
    RecordingReporter reporter;
    MainDialog dialog(view, port, socket, queues, reporter, systemClock());
    dialog.silentRun = 1;
    dialog.modelCode = 312;
    dialog.portSettings = {.portName = "COM1",
                           .baudRate = 115200,
                           .dataBits = 8,
                           .timeouts = {},
                           .readBufferSize = 8192,
                           .spareBufferSize = 4096};
    dialog.firmwarePath = dir.file("fw.fls", image);
    dialog.startDownload();
    loop->run([&](int32_t id) { dialog.onTimer(id); });
    // A real run settles for seconds before it closes the port; give the printer the time to
    // take in the last packet before this one closes it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    dialog.onDestroy();
    EXPECT_THAT(reporter.texts(), IsEmpty());
    EXPECT_EQ(view.lastStep, 4);
    EXPECT_EQ(sim.received(), image); // the queries are not part of the image
}

} // namespace
