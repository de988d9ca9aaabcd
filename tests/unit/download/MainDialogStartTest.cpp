// Job preparation: port kinds, model rules, the FPGA dialogue and every failure with its clean-up.
#include "download/FpgaCheck.h"
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace enginefakes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::vector<uint8_t> text(const std::string& s, bool nul = true) {
    std::vector<uint8_t> out(s.begin(), s.end());
    if (nul) {
        out.push_back(0);
    }
    return out;
}

// An image with an FPGA header of the given type (0, 1 or 2).
std::vector<uint8_t> fpgaImage(int type) {
    auto bytes = patternBytes(300);
    bytes[9] = 'D';
    bytes[10] = 'x';
    bytes[40] = 0xCF;
    bytes[41] = type == 2 ? '!' : 'A';
    bytes[42] = type == 1 ? 0xA1 : 0x00;
    bytes[43] = 0x03;
    return bytes;
}

struct Start : ::testing::Test {
    ScratchDir scratch;
    EngineRig rig;

    void job(const std::string& portName, int32_t modelCode, const std::vector<uint8_t>& bytes,
             int32_t silent = 1) {
        rig.dialog.silentRun = silent;
        rig.dialog.modelCode = modelCode;
        rig.dialog.modelName = "T90 Standard";
        rig.dialog.portSettings.portName = portName;
        rig.dialog.portSettings.baudRate = 9100;
        rig.dialog.firmwarePath = scratch.file("fw.fls", bytes);
    }

    // Checks the state after a refused start: everything given back, buttons enabled, the
    // report made with the job's destination, the window closed in a silent run.
    void expectRefused(const std::string& report, int32_t silent = 1) {
        ASSERT_EQ(rig.reporter.reports.size(), 1u);
        EXPECT_EQ(rig.reporter.reports[0].text, report);
        EXPECT_EQ(rig.reporter.reports[0].toFile, silent);
        EXPECT_EQ(rig.reporter.reports[0].level, LogLevel::Notice);
        EXPECT_TRUE(rig.view.timers.empty());
        EXPECT_TRUE(rig.dialog.image.empty());
        EXPECT_TRUE(rig.view.allEnabled());
        EXPECT_EQ(rig.view.closes, silent);
        EXPECT_EQ(rig.dialog.outcome(), MainDialog::Outcome::Failed);
        if (!rig.queues.calls.empty()) {
            EXPECT_EQ(rig.queues.calls.back(), "restore");
        }
    }
};

TEST_F(Start, PortKindAndPacketSizeComeFromTheNamesFirstCharacters) {
    struct Case {
        const char* name;
        int32_t model;
        uint32_t packet;
        const char* redirect;
    };
    const Case cases[] = {
        {"COM3", 203, 4096, "redirect COM3|"},
        {"LPT1", 352, 4096, "redirect LPT1|"},
        {"\\\\?\\usb#vid_1#x", 352, 64, "redirect \\\\?\\usb#vid_1#x|T90 Standard"},
        {"\\\\?\\usb#vid_1#x", 203, 64, "redirect \\\\?\\usb#vid_1#x|T90 Standard"},
        {"\\\\?\\usb#vid_1#x", 350, 4096, "redirect \\\\?\\usb#vid_1#x|T90 Standard"},
        {"\\\\.\\COM12", 352, 64, "redirect \\\\.\\COM12|T90 Standard"},
    };
    for (const Case& c : cases) {
        EngineRig r;
        r.dialog.modelCode = c.model;
        r.dialog.modelName = "T90 Standard";
        r.dialog.portSettings.portName = c.name;
        r.dialog.firmwarePath = scratch.file("k.fls", patternBytes(10));
        r.dialog.startDownload();
        EXPECT_EQ(r.dialog.packetSize, c.packet) << c.name;
        EXPECT_THAT(r.queues.calls, ElementsAre(c.redirect)) << c.name;
        EXPECT_EQ(r.port.calls.at(0), std::string("configure ") + c.name);
        EXPECT_EQ(r.view.timers.count(1), 1u) << c.name;
        EXPECT_THAT(r.socket.calls, IsEmpty());
    }
    // Lower case is none of the port prefixes: it is taken for an address.
    job("com1", 0, patternBytes(10));
    rig.dialog.startDownload();
    EXPECT_THAT(rig.socket.calls, ElementsAre("create", "connect com1:9100"));
    EXPECT_THAT(rig.queues.calls, IsEmpty());
    EXPECT_EQ(rig.dialog.useNetwork, 1);
    EXPECT_EQ(rig.view.timers.count(2), 1u);
    EXPECT_EQ(rig.view.timers.at(2), 10u);
}

TEST_F(Start, Model1100GetsItsHeaderOnce) {
    const uint8_t header[] = {0x08, 0x23, 0x6D, 0x74, 0x6D, 0x73};
    const auto body = patternBytes(5000);
    job("COM1", 1100, body);
    rig.dialog.startDownload();
    rig.run();
    ASSERT_EQ(rig.port.received.size(), body.size() + 6);
    EXPECT_TRUE(std::equal(header, header + 6, rig.port.received.begin()));
    EXPECT_TRUE(std::equal(body.begin(), body.end(), rig.port.received.begin() + 6));

    // Already carrying it: sent unchanged.
    std::vector<uint8_t> withHeader(header, header + 6);
    withHeader.insert(withHeader.end(), body.begin(), body.end());
    EngineRig r;
    r.dialog.modelCode = 1100;
    r.dialog.portSettings.portName = "COM1";
    r.dialog.firmwarePath = scratch.file("h.fls", withHeader);
    r.dialog.startDownload();
    r.run();
    EXPECT_EQ(r.port.received, withHeader);

    // Shorter than the header, and other models: as the rule says.
    EngineRig s;
    s.dialog.modelCode = 1100;
    s.dialog.portSettings.portName = "COM1";
    s.dialog.firmwarePath = scratch.file("s.fls", {0x08, 0x23, 0x6D});
    s.dialog.startDownload();
    s.run();
    EXPECT_EQ(s.port.received,
              (std::vector<uint8_t>{0x08, 0x23, 0x6D, 0x74, 0x6D, 0x73, 0x08, 0x23, 0x6D}));

    EngineRig o;
    o.dialog.modelCode = 1101;
    o.dialog.portSettings.portName = "COM1";
    o.dialog.firmwarePath = r.dialog.firmwarePath;
    o.dialog.startDownload();
    o.run();
    EXPECT_EQ(o.port.received, withHeader);
}

TEST_F(Start, FpgaDialogueAcceptsAMatchingPrinter) {
    const auto image = fpgaImage(1);
    job("COM1", 312, image);
    rig.port.replies = {text("_1.35"), text("_4000")};
    rig.dialog.startDownload();
    EXPECT_THAT(rig.port.calls, ElementsAre("configure COM1", "open 0", "write 3", "read 20 2000",
                                            "write 5", "read 20 2000"));
    EXPECT_THAT(rig.clock.sleeps, ElementsAre(200u, 200u));
    EXPECT_EQ(std::vector<uint8_t>(rig.port.received.begin(), rig.port.received.begin() + 8),
              (std::vector<uint8_t>{0x1D, 0x49, 0x41, 0x08, 0x13, 0x25, 0x01, 0x02}));
    rig.run();
    EXPECT_EQ(std::vector<uint8_t>(rig.port.received.begin() + 8, rig.port.received.end()), image);
    EXPECT_TRUE(rig.reporter.reports.empty());
}

TEST_F(Start, FpgaDialogueRefusals) {
    struct Case {
        int type;
        std::vector<std::vector<uint8_t>> replies;
        const char* report; // nullptr: proceeds
    };
    const Case cases[] = {
        {1, {text("_1.35"), text("_8000")}, "Please Check the device type of FPGA."},
        {1, {text("_1.35"), text("_c000")}, "Please Check the device type of FPGA."},
        {2, {text("_1.35"), text("_8000")}, nullptr},
        {2, {text("_1.35"), text("_B000")}, nullptr},
        {0, {text("_1.35"), text("_3000")}, nullptr},
        {1, {text("_1.35"), text("_4", false), {0x30, 0x30}}, "You need to check version of FW!!!"},
        {1, {text("_1.35"), text("_40", false)}, "You need to check version of FW!!!"},
        {1, {text("_1.35"), text("x4000")}, "You need to check version of FW!!!"},
        {1, {text("_1.35")}, "You need to check version of FW!!!"}, // no FPGA reply at all
        {1, {text("_1.20")}, "Please check version of FW."},
        {1, {text("_1.34")}, "Please check version of FW."},
        {0, {text("_1.20")}, nullptr},          // an old printer suits a type-0 image
        {1, {}, "Please check version of FW."}, // silent printer reads as version 0
        {0, {}, nullptr},
    };
    for (const Case& c : cases) {
        EngineRig r;
        r.dialog.silentRun = 1;
        r.dialog.modelCode = 310;
        r.dialog.portSettings.portName = "COM1";
        r.dialog.firmwarePath = scratch.file("f.fls", fpgaImage(c.type));
        // A reply split over two reads counts only the first: "_4" alone is too short.
        r.port.replies.assign(c.replies.begin(), c.replies.end());
        r.dialog.startDownload();
        if (c.report == nullptr) {
            EXPECT_THAT(r.reporter.texts(), IsEmpty()) << c.type;
            EXPECT_EQ(r.view.timers.count(1), 1u);
        } else {
            EXPECT_THAT(r.reporter.texts(), ElementsAre(c.report)) << c.type;
            EXPECT_TRUE(r.view.timers.empty());
            EXPECT_EQ(r.port.calls.back(), "close");
            EXPECT_EQ(r.queues.calls.back(), "restore");
        }
    }
}

TEST_F(Start, FpgaCheckIsSkippedWhereThePrinterCannotBeAsked) {
    // No FPGA header in the image (byte 9 not "D"): no query at all.
    auto plain = fpgaImage(1);
    plain[9] = 'E';
    job("COM1", 312, plain);
    rig.dialog.startDownload();
    EXPECT_THAT(rig.port.calls, ElementsAre("configure COM1", "open 0"));

    // An image too short to hold the header is no FPGA image (and is not read past its end).
    EngineRig s;
    s.dialog.modelCode = 310;
    s.dialog.portSettings.portName = "COM1";
    s.dialog.firmwarePath = scratch.file("s.fls", {0, 0, 0, 0, 0, 0, 0, 0, 0, 'D'});
    s.dialog.startDownload();
    EXPECT_THAT(s.port.calls, ElementsAre("configure COM1", "open 0"));

    // A query the port does not take whole skips the check.
    EngineRig w;
    w.dialog.modelCode = 310;
    w.dialog.portSettings.portName = "COM1";
    w.dialog.firmwarePath = scratch.file("w.fls", fpgaImage(1));
    w.port.acceptScript = {2};
    w.dialog.startDownload();
    EXPECT_THAT(w.port.calls, ElementsAre("configure COM1", "open 0", "write 3"));
    EXPECT_EQ(w.view.timers.count(1), 1u);
    EXPECT_THAT(w.reporter.texts(), IsEmpty());
}

TEST_F(Start, ConnectionFailures) {
    job("COM4", 0, patternBytes(10));
    rig.port.configureResult = 0;
    rig.dialog.startDownload();
    expectRefused("Port Configuration Set Error!");
    EXPECT_THAT(rig.queues.calls, ElementsAre("redirect COM4|", "restore"));

    EngineRig o;
    o.dialog.silentRun = 1;
    o.dialog.portSettings.portName = "LPT2";
    o.dialog.firmwarePath = rig.dialog.firmwarePath;
    o.port.openResult = 0;
    o.dialog.startDownload();
    EXPECT_THAT(o.reporter.texts(), ElementsAre("Port Open Error. Port=LPT2"));
    EXPECT_EQ(o.port.calls.back(), "close");
    EXPECT_THAT(o.queues.calls, ElementsAre("redirect LPT2|", "restore"));

    EngineRig c;
    c.dialog.silentRun = 1;
    c.dialog.portSettings.portName = "10.0.0.5";
    c.dialog.portSettings.baudRate = 9100;
    c.dialog.firmwarePath = rig.dialog.firmwarePath;
    c.socket.createResult = 0;
    c.dialog.startDownload();
    EXPECT_THAT(c.reporter.texts(), ElementsAre("Failed Port Creation!"));
    EXPECT_EQ(c.view.closes, 1);

    // A refused connection gives the socket up; the next download creates it afresh.
    EngineRig n;
    n.dialog.portSettings = c.dialog.portSettings;
    n.dialog.firmwarePath = rig.dialog.firmwarePath;
    n.socket.connectResult = 0;
    n.dialog.onDownloadClicked();
    EXPECT_THAT(n.reporter.texts(), ElementsAre("Socket Connect Error! ip=10.0.0.5, tcpport=9100"));
    EXPECT_THAT(n.socket.calls, ElementsAre("create", "connect 10.0.0.5:9100", "detach"));
    EXPECT_EQ(n.view.closes, 0);
    EXPECT_TRUE(n.view.allEnabled());
    EXPECT_EQ(n.dialog.helpText, "HELP : firmware downloading...."); // left as it was
    n.socket.connectResult = 1;
    n.dialog.onDownloadClicked();
    EXPECT_EQ(n.socket.calls[3], "create");
    EXPECT_EQ(n.view.timers.count(2), 1u);
}

TEST_F(Start, FileFailuresCloseThePortAndRestoreQueues) {
    namespace fs = std::filesystem;
    const std::string missing = scratch.path("missing.fls");
    const std::string directory = scratch.path("adir");
    fs::create_directories(directory);
    const std::string readOnly = scratch.file("ro.fls", patternBytes(10));
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);

    for (const std::string& path : {missing, directory, readOnly}) {
        if (path == readOnly && std::ofstream(readOnly, std::ios::app)) {
            continue; // privileged user: read-only files are writable for it
        }
        EngineRig r;
        r.dialog.silentRun = 1;
        r.dialog.portSettings.portName = "COM1";
        r.dialog.firmwarePath = path;
        r.dialog.startDownload();
        EXPECT_THAT(r.reporter.texts(), ElementsAre("File Open Error. filename=" + path));
        EXPECT_EQ(r.port.calls.back(), "close");
        EXPECT_THAT(r.queues.calls, ElementsAre("redirect COM1|", "restore"));
        EXPECT_TRUE(r.view.timers.empty());
        EXPECT_EQ(r.view.closes, 1);
    }
    // Over the network the socket is closed instead.
    EngineRig n;
    n.dialog.portSettings.portName = "127.0.0.1";
    n.dialog.firmwarePath = missing;
    n.dialog.startDownload();
    EXPECT_THAT(n.socket.calls.back(), "close");
}

TEST_F(Start, DownloadCommand) {
    rig.dialog.onDownloadClicked();
    EXPECT_THAT(rig.reporter.texts(), ElementsAre("No select File!! Select File!"));
    EXPECT_THAT(rig.view.events,
                ElementsAre("disable 1014", "disable 1003", "disable 1002", "disable 1024",
                            "enable 1002", "enable 1014", "enable 1003", "enable 1024"));
    EXPECT_THAT(rig.view.helpLines, IsEmpty());
    EXPECT_THAT(rig.port.calls, IsEmpty());
}

TEST_F(Start, HexModelsConvertFirstAndKeepTheSelection) {
    // Not HEX nor S-record: refused, selection kept, buttons back.
    job("COM1", 100, text("this is no hex file\n", false), 0);
    const std::string selection = rig.dialog.firmwarePath;
    rig.dialog.onDownloadClicked();
    EXPECT_THAT(rig.reporter.texts(), ElementsAre("Failed File Loading!!"));
    EXPECT_EQ(rig.dialog.firmwarePath, selection);
    EXPECT_TRUE(rig.view.allEnabled());
    EXPECT_THAT(rig.port.calls, IsEmpty());

    // A real Intel HEX file: the converted image goes out, the selection comes back.
    EngineRig r;
    r.dialog.modelCode = 101;
    r.dialog.portSettings.portName = "COM1";
    r.dialog.firmwarePath =
        scratch.file("a.hex", text(":0400000001020304F2\n:00000001FF\n", false));
    const std::string hexPath = r.dialog.firmwarePath;
    r.dialog.onDownloadClicked();
    EXPECT_EQ(r.dialog.firmwarePath, hexPath);
    r.run();
    ASSERT_EQ(r.port.received.size(), 4u + 262144u);
    EXPECT_EQ(std::vector<uint8_t>(r.port.received.begin(), r.port.received.begin() + 8),
              (std::vector<uint8_t>{0x1B, 0x23, 0x6D, 0x6B, 1, 2, 3, 4}));
    EXPECT_EQ(r.port.received[8], 0xFF);
}

} // namespace
