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

// After a refused start everything is given back and the buttons are enabled again.
void expectGivenBack(const EngineRig& r) {
    EXPECT_TRUE(r.view.timers.empty());
    EXPECT_TRUE(r.dialog.image.empty());
    EXPECT_TRUE(r.view.allEnabled());
    EXPECT_EQ(r.dialog.outcome(), MainDialog::Outcome::Failed);
    if (!r.queues.calls.empty()) {
        EXPECT_EQ(r.queues.calls.back(), "restore");
    }
}

struct Start : ::testing::Test {
    Rigs rigs;
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
        {"\\\\?\\usb#vid_1#x", 352, 64, "redirect \\\\?\\usb#vid_1#x|T90 Prime"},
        {"\\\\?\\usb#vid_1#x", 203, 64, "redirect \\\\?\\usb#vid_1#x|T90 Prime"},
        {"\\\\?\\usb#vid_1#x", 350, 4096, "redirect \\\\?\\usb#vid_1#x|T90 Prime"},
        {"\\\\.\\COM12", 352, 64, "redirect \\\\.\\COM12|T90 Prime"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig& r = rigs.make(c.name, c.model, patternBytes(10));
        r.dialog.startDownload();
        EXPECT_EQ(r.dialog.packetSize, c.packet);
        EXPECT_THAT(r.queues.calls, ElementsAre(c.redirect));
        EXPECT_EQ(r.port.calls.at(0), std::string("configure ") + c.name);
        EXPECT_EQ(r.view.timers.count(1), 1u);
        EXPECT_THAT(r.socket.calls, IsEmpty());
    }
    // Lower case is none of the port prefixes: it is taken for an address.
    EngineRig& r = rigs.make("com1", 0, patternBytes(10));
    r.dialog.startDownload();
    EXPECT_THAT(r.socket.calls, ElementsAre("create", "connect com1:9100"));
    EXPECT_THAT(r.queues.calls, IsEmpty());
    EXPECT_EQ(r.dialog.useNetwork, 1);
    EXPECT_EQ(r.view.timers.at(2), 10u);
}

TEST_F(Start, Model1100GetsItsHeaderOnce) {
    const std::vector<uint8_t> header = {0x08, 0x23, 0x6D, 0x74, 0x6D, 0x73};
    const auto body = patternBytes(5000);
    std::vector<uint8_t> withHeader = header;
    withHeader.insert(withHeader.end(), body.begin(), body.end());
    const std::vector<uint8_t> shortImage = {0x08, 0x23, 0x6D};
    std::vector<uint8_t> shortPrefixed = header;
    shortPrefixed.insert(shortPrefixed.end(), shortImage.begin(), shortImage.end());
    struct Case {
        int32_t model;
        std::vector<uint8_t> image, sent;
    };
    const Case cases[] = {
        {1100, body, withHeader},
        {1100, withHeader, withHeader},    // already carrying it: sent unchanged
        {1100, shortImage, shortPrefixed}, // shorter than the header
        {1101, withHeader, withHeader},    // other models: never added
        {1101, body, body},
    };
    for (const Case& c : cases) {
        EngineRig& r = rigs.make("COM1", c.model, c.image);
        r.dialog.startDownload();
        r.run();
        EXPECT_EQ(r.port.received, c.sent) << c.model << " " << c.image.size();
    }
}

TEST_F(Start, FpgaDialogueAcceptsAMatchingPrinter) {
    const auto image = fpgaImage(1);
    EngineRig& r = rigs.make("COM1", 312, image);
    r.port.replies = {text("_1.35"), text("_4000")};
    r.dialog.startDownload();
    EXPECT_THAT(r.port.calls, ElementsAre("configure COM1", "open 0", "write 3", "read 20 2000",
                                          "write 5", "read 20 2000"));
    EXPECT_THAT(r.clock.sleeps(), ElementsAre(200u, 200u));
    EXPECT_EQ(std::vector<uint8_t>(r.port.received.begin(), r.port.received.begin() + 8),
              (std::vector<uint8_t>{0x1D, 0x49, 0x41, 0x08, 0x13, 0x25, 0x01, 0x02}));
    r.run();
    EXPECT_EQ(std::vector<uint8_t>(r.port.received.begin() + 8, r.port.received.end()), image);
    EXPECT_TRUE(r.reporter.reports.empty());
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
        // A reply split over two reads counts only the first: "_4" alone is too short.
        {1, {text("_1.35"), text("_4", false), {0x30, 0x30}}, "You need to check version of FW!!!"},
        {1, {text("_1.35"), text("_40", false)}, "You need to check version of FW!!!"},
        {1, {text("_1.35"), text("x4000")}, "You need to check version of FW!!!"},
        {1, {text("_1.35")}, "You need to check version of FW!!!"}, // no FPGA reply at all
        {1, {text("_1.34")}, "Please check version of FW."},        // 1.34 in floats is not above
        // A version reply that fills the buffer without a NUL is read inside its 20 bytes.
        {1, {std::vector<uint8_t>(20, '9')}, "You need to check version of FW!!!"},
        {0, {text("_1.20")}, nullptr},          // an old printer suits a type-0 image
        {1, {}, "Please check version of FW."}, // silent printer reads as version 0
        {0, {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EngineRig& r = rigs.make("COM1", 310, fpgaImage(c.type));
        r.port.replies.assign(c.replies.begin(), c.replies.end());
        r.dialog.startDownload();
        if (c.report == nullptr) {
            EXPECT_THAT(r.reporter.texts(), IsEmpty());
            EXPECT_EQ(r.view.timers.count(1), 1u);
        } else {
            EXPECT_THAT(r.reporter.texts(), ElementsAre(c.report));
            EXPECT_EQ(r.port.calls.back(), "close");
            expectGivenBack(r);
        }
    }
}

TEST_F(Start, FpgaCheckIsSkippedWhereThePrinterCannotBeAsked) {
    auto plain = fpgaImage(1);
    plain[9] = 'E';
    struct Case {
        const char* what;
        std::vector<uint8_t> image;
        int32_t accepted; // bytes the port takes of the query, -1: all
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"no FPGA header (byte 9 not D)", plain, -1, {"configure COM1", "open 0"}},
        // Too short to hold the header: no FPGA image, and not read past its end.
        {"short image", {0, 0, 0, 0, 0, 0, 0, 0, 0, 'D'}, -1, {"configure COM1", "open 0"}},
        {"query not taken whole", fpgaImage(1), 2, {"configure COM1", "open 0", "write 3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EngineRig& r = rigs.make("COM1", 310, c.image);
        r.port.acceptScript = {c.accepted};
        r.dialog.startDownload();
        EXPECT_EQ(r.port.calls, c.calls);
        EXPECT_EQ(r.view.timers.count(1), 1u);
        EXPECT_THAT(r.reporter.texts(), IsEmpty());
    }
}

TEST_F(Start, ConnectionFailures) {
    struct Case {
        const char* port;
        void (*spoil)(EngineRig&);
        const char* report;
        std::vector<std::string> portCalls, queueCalls;
    };
    const Case cases[] = {
        {"COM4",
         [](EngineRig& r) { r.port.configureResult = 0; },
         "Port Configuration Set Error!",
         {"configure COM4", "close"},
         {"redirect COM4|", "restore"}},
        {"LPT2",
         [](EngineRig& r) { r.port.openResult = 0; },
         "Port Open Error. Port=LPT2",
         {"configure LPT2", "open 0", "close"},
         {"redirect LPT2|", "restore"}},
        {"10.0.0.5",
         [](EngineRig& r) { r.socket.createResult = 0; },
         "Failed Port Creation!",
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        EngineRig& r = rigs.make(c.port, 0, patternBytes(10));
        c.spoil(r);
        r.dialog.startDownload();
        ASSERT_EQ(r.reporter.reports.size(), 1u);
        EXPECT_EQ(r.reporter.reports[0].text, c.report);
        EXPECT_EQ(r.reporter.reports[0].toFile, 1);
        EXPECT_EQ(r.reporter.reports[0].level, LogLevel::Notice);
        EXPECT_EQ(r.port.calls, c.portCalls);
        EXPECT_EQ(r.queues.calls, c.queueCalls);
        EXPECT_EQ(r.view.closes, 1);
        expectGivenBack(r);
    }

    // A refused connection gives the socket up; the next download creates it afresh.
    EngineRig& n = rigs.make("10.0.0.5", 0, patternBytes(10), 0);
    n.socket.connectResult = 0;
    n.dialog.onDownloadClicked();
    EXPECT_THAT(n.reporter.texts(), ElementsAre("Socket Connect Error! ip=10.0.0.5, tcpport=9100"));
    EXPECT_EQ(n.reporter.reports[0].toFile, 0);
    EXPECT_THAT(n.socket.calls, ElementsAre("create", "connect 10.0.0.5:9100", "detach"));
    EXPECT_EQ(n.view.closes, 0);
    expectGivenBack(n);
    EXPECT_EQ(n.dialog.helpText, "HELP : firmware downloading...."); // left as it was
    n.socket.connectResult = 1;
    n.dialog.onDownloadClicked();
    EXPECT_EQ(n.socket.calls[3], "create");
    EXPECT_EQ(n.view.timers.count(2), 1u);
}

TEST_F(Start, FileFailuresCloseThePortAndRestoreQueues) {
    namespace fs = std::filesystem;
    const std::string missing = rigs.scratch.path("missing.fls");
    const std::string directory = rigs.scratch.path("adir");
    fs::create_directories(directory);
    const std::string readOnly = rigs.scratch.file("ro.fls", patternBytes(10));
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);

    for (const std::string& path : {missing, directory, readOnly}) {
        if (path == readOnly && std::ofstream(readOnly, std::ios::app)) {
            continue; // privileged user: read-only files are writable for it
        }
        EngineRig& r = rigs.make("COM1", 0, {});
        r.dialog.firmwarePath = path;
        r.dialog.startDownload();
        EXPECT_THAT(r.reporter.texts(), ElementsAre("File Open Error. filename=" + path));
        EXPECT_EQ(r.port.calls.back(), "close");
        EXPECT_THAT(r.queues.calls, ElementsAre("redirect COM1|", "restore"));
        EXPECT_EQ(r.view.closes, 1);
        expectGivenBack(r);
    }
    // Over the network the socket is closed instead.
    EngineRig& n = rigs.make("127.0.0.1", 0, {});
    n.dialog.firmwarePath = missing;
    n.dialog.startDownload();
    EXPECT_THAT(n.socket.calls.back(), "close");
}

TEST_F(Start, DownloadCommandWithoutFile) {
    EngineRig& r = rigs.make("COM1", 0, {}, 0);
    r.dialog.firmwarePath.clear();
    r.dialog.onDownloadClicked();
    EXPECT_THAT(r.reporter.texts(), ElementsAre("No select File!! Select File!"));
    EXPECT_THAT(r.view.events,
                ElementsAre("disable 1014", "disable 1003", "disable 1002", "disable 1024",
                            "enable 1002", "enable 1014", "enable 1003", "enable 1024"));
    EXPECT_THAT(r.view.helpLines, IsEmpty());
    EXPECT_THAT(r.port.calls, IsEmpty());
}

TEST_F(Start, HexModelsConvertFirstAndKeepTheSelection) {
    // Not HEX nor S-record: refused, selection kept, buttons back.
    EngineRig& bad = rigs.make("COM1", 100, text("this is no hex file\n", false), 0);
    const std::string selection = bad.dialog.firmwarePath;
    bad.dialog.onDownloadClicked();
    EXPECT_THAT(bad.reporter.texts(), ElementsAre("Failed File Loading!!"));
    EXPECT_EQ(bad.dialog.firmwarePath, selection);
    EXPECT_TRUE(bad.view.allEnabled());
    EXPECT_THAT(bad.port.calls, IsEmpty());

    // A real Intel HEX file: the converted image goes out, the selection comes back.
    EngineRig& r = rigs.make("COM1", 101, text(":0400000001020304F2\n:00000001FF\n", false));
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
