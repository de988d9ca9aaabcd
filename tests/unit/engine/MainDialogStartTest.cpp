// Job preparation: port kinds, model rules, the FPGA dialogue and every failure with its clean-up.
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace enginefakes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::string_literals;

namespace {

// After a refused start: the one notice (logged in a silent run, whose window closes), everything
// given back and the buttons enabled again.
void expectRefused(const EngineRig& r, const std::string& report) {
    EXPECT_THAT(r.reporter.texts(), ElementsAre(report));
    EXPECT_EQ(r.reporter.reports.at(0).toFile, r.dialog.silentRun);
    EXPECT_EQ(r.reporter.reports.at(0).level, LogLevel::Notice);
    EXPECT_EQ(r.view.count("close"), r.dialog.silentRun);
    EXPECT_TRUE(r.view.timers.empty());
    EXPECT_TRUE(r.dialog.image.empty());
    EXPECT_TRUE(r.view.allEnabled());
    EXPECT_EQ(r.dialog.outcome(), MainDialog::Outcome::Failed);
    if (!r.queues.calls.empty()) {
        EXPECT_EQ(r.queues.calls.back(), "restore");
    }
}

TEST(Start, PortKindAndPacketSizeComeFromTheNamesFirstCharacters) {
    const struct Case {
        const char* name;
        int32_t model;
        uint32_t packet;
        const char* redirect;
    } cases[] = {
        // Small packets are for USB only, and for the models whose row asks for them.
        {"COM3", 203, 4096, "redirect COM3|"},
        {"LPT1", 352, 4096, "redirect LPT1|"},
        {"\\\\?\\usb#vid_1#x", 203, 64, "redirect \\\\?\\usb#vid_1#x|T90 Prime"},
        {"\\\\?\\usb#vid_1#x", 350, 4096, "redirect \\\\?\\usb#vid_1#x|T90 Prime"},
        {"\\\\.\\COM12", 352, 64, "redirect \\\\.\\COM12|T90 Prime"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig r(c.name, c.model, patternBytes(10));
        r.dialog.startDownload();
        EXPECT_EQ(r.dialog.packetSize, c.packet);
        EXPECT_THAT(r.queues.calls, ElementsAre(c.redirect));
    }
    // Lower case is none of the port prefixes: it is taken for an address.
    EngineRig r("com1", 0, patternBytes(10));
    r.dialog.startDownload();
    EXPECT_THAT(r.printer.calls, ElementsAre("create", "connect com1:9100"));
    EXPECT_THAT(r.queues.calls, IsEmpty());
}

TEST(Start, Model1100GetsItsHeaderOnce) {
    const std::vector<uint8_t> header = {0x08, 0x23, 0x6D, 0x74, 0x6D, 0x73};
    const std::vector<uint8_t> body = patternBytes(5000), shortImage = {0x08, 0x23, 0x6D};
    const struct Case {
        int32_t model;
        std::vector<uint8_t> image, sent;
    } cases[] = {
        {1100, body, joined(header, body)},
        {1100, joined(header, body), joined(header, body)}, // already carrying it: unchanged
        {1100, shortImage, joined(header, shortImage)},     // shorter than the header
        {1101, body, body},                                 // other models: never added
    };
    for (const Case& c : cases) {
        EngineRig r("COM1", c.model, c.image);
        r.dialog.startDownload();
        r.run();
        EXPECT_EQ(r.printer.received, c.sent) << c.model << " " << c.image.size();
    }
}

TEST(Start, FpgaDialogueAcceptsAMatchingPrinter) {
    const auto image = fpgaImage(1);
    EngineRig r("COM1", 312, image);
    r.printer.replies = {"_1.35\0"s, "_4000\0"s};
    r.dialog.startDownload();
    EXPECT_THAT(r.printer.calls, ElementsAre("configure COM1", "open 0", "write 3", "read 20 2000",
                                             "write 5", "read 20 2000"));
    EXPECT_THAT(r.clock.sleeps(), ElementsAre(200u, 200u));
    r.run();
    const std::vector<uint8_t> queries = {0x1D, 0x49, 0x41, 0x08, 0x13, 0x25, 0x01, 0x02};
    EXPECT_EQ(r.printer.received, joined(queries, image)); // the queries, then the image
    EXPECT_TRUE(r.reporter.reports.empty());
    // The version it said is kept for a run that verifies the update.
    EXPECT_EQ(r.dialog.printerVersionReply(), "1.35");
}

// Which printers refuse an FPGA image, and where the printer cannot be asked at all (a silent
// printer would refuse a type-1 image, so proceeding there shows the check was skipped).
TEST(Start, FpgaDialogueRefusalsAndSkips) {
    // An image of the given type with one byte of its FPGA header changed.
    const auto edited = [](int type, size_t at, uint8_t value) {
        auto image = fpgaImage(type);
        image[at] = value;
        return image;
    };
    const char* tooOld = "Please check version of FW.";
    const char* noType = "You need to check version of FW!!!";
    const struct Case {
        std::vector<uint8_t> image;
        std::vector<std::string> replies;
        const char* report; // nullptr: proceeds
        int32_t queryAccepted = -1;
    } cases[] = {
        {fpgaImage(1), {"_1.35\0"s, "_8000\0"s}, "Please Check the device type of FPGA."},
        // Hex letters of either case: 'c' and 'C' are 12 (type 3), 'B' is 11 (type 2).
        {fpgaImage(2), {"_1.35\0"s, "_c000\0"s}, "Please Check the device type of FPGA."},
        {fpgaImage(2), {"_1.35\0"s, "_C000\0"s}, "Please Check the device type of FPGA."},
        {fpgaImage(2), {"_1.35\0"s, "_8000\0"s}, nullptr},
        {fpgaImage(2), {"_1.35\0"s, "_B000\0"s}, nullptr},
        {fpgaImage(0), {"_1.35\0"s, "_3000\0"s}, nullptr},
        // A reply split over two reads counts only the first: "_4" alone is too short.
        {fpgaImage(1), {"_1.35\0"s, "_4"s, "00"s}, noType},
        {fpgaImage(1), {"_1.35\0"s, "_40"s}, noType},
        {fpgaImage(1), {"_1.35\0"s, "x4000\0"s}, noType},
        {fpgaImage(1), {"_1.35\0"s}, noType}, // no FPGA reply at all
        {fpgaImage(1), {"_1.34\0"s}, tooOld}, // 1.34 in floats is not above 1.34
        // A version reply that fills the buffer without a NUL is read inside its 20 bytes.
        {fpgaImage(1), {std::string(20, '9')}, noType},
        {fpgaImage(0), {"_1.20\0"s}, nullptr}, // an old printer suits a type-0 image
        {fpgaImage(1), {}, tooOld},            // a silent printer reads as version 0
        {fpgaImage(0), {}, nullptr},
        // No FPGA header: byte 9 not 'D', marks 0xCF and 0x03 missing, an unknown type letter.
        {edited(1, 9, 'E'), {}, nullptr},
        {edited(1, 40, 0), {}, nullptr},
        {edited(1, 43, 0), {}, nullptr},
        {edited(1, 41, 'B'), {}, nullptr},
        // Too short to hold the header: no FPGA image, and not read past its end.
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 'D'}, {}, nullptr},
        {fpgaImage(1), {}, nullptr, 2}, // the query not taken whole
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        EngineRig r("COM1", 310, c.image);
        r.printer.replies.assign(c.replies.begin(), c.replies.end());
        r.printer.acceptScript = {c.queryAccepted};
        r.dialog.startDownload();
        // Only a whole answer to the version query counts as the printer's version.
        const bool wholeVersion = c.queryAccepted == -1 && !c.replies.empty() &&
                                  c.replies[0].starts_with("_1.") && c.replies[0].size() == 6;
        EXPECT_EQ(r.dialog.printerVersionReply(),
                  wholeVersion ? std::optional(c.replies[0].substr(1, 4)) : std::nullopt);
        if (c.report == nullptr) {
            EXPECT_THAT(r.reporter.texts(), IsEmpty());
            EXPECT_EQ(r.view.timers.count(1), 1u);
        } else {
            EXPECT_EQ(r.printer.calls.back(), "close");
            expectRefused(r, c.report);
        }
    }
}

TEST(Start, ConnectionFailures) {
    const struct Case {
        const char* port;
        int32_t ScriptedPrinter::*refusal;
        const char* report;
        std::vector<std::string> calls;
    } cases[] = {
        // clang-format off
        {"COM4", &ScriptedPrinter::configureResult, "Port Configuration Set Error!",
         {"configure COM4", "close"}},
        {"LPT2", &ScriptedPrinter::openResult, "Port Open Error. Port=LPT2",
         {"configure LPT2", "open 0", "close"}},
        {"10.0.0.5", &ScriptedPrinter::createResult, "Failed Port Creation!", {"create"}},
        // A socket refused its connection is given up, not reused.
        {"10.0.0.5", &ScriptedPrinter::connectResult,
         "Socket Connect Error! ip=10.0.0.5, tcpport=9100",
         {"create", "connect 10.0.0.5:9100", "detach"}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        EngineRig r(c.port, 0, patternBytes(10));
        r.printer.*c.refusal = 0;
        r.dialog.startDownload();
        expectRefused(r, c.report);
        EXPECT_EQ(r.printer.calls, c.calls);
    }
}

// A file that is missing, a directory, empty (the printer would receive nothing yet the run
// succeed), too large, read-only or unseekable is refused after the port was opened, and the
// reason names the cause.
TEST(Start, FileFailuresCloseThePortAndRestoreQueues) {
    namespace fs = std::filesystem;
    ScratchDir dir;
    const std::string directory = dir.path("adir");
    fs::create_directories(directory);
    const std::string readOnly = dir.file("ro.fls", patternBytes(10));
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    const std::string big = dir.file("big.fls", {}); // sparse: costs no disk
    fs::resize_file(big, uint64_t(FirmwareImage::maxLength) + 1);

    const struct Case {
        std::string path;
        const char* reason; // nullptr: the system's own words
    } cases[] = {
        {dir.path("missing.fls"), "no such file"},
        {dir.file("empty.fls", {}), "the file is empty"},
        {big, "the file is larger than 2147483641 bytes"},
#ifdef _WIN32
        {directory, nullptr},
        {readOnly, nullptr},
#else
        {directory, "a directory, not a file"},
        {readOnly, "permission denied (the file is opened for reading and writing, so it must be "
                   "writable too)"},
        {(mkfifo(dir.path("fifo").c_str(), 0600), dir.path("fifo")),
         "the file could not be read to its end"}, // opens, but cannot seek
#endif
    };
    for (const Case& c : cases) {
        if (c.path == readOnly && std::ofstream(readOnly, std::ios::app)) {
            continue; // privileged user: read-only files are writable for it
        }
        EngineRig r("COM1", 0, {});
        r.dialog.firmwarePath = c.path;
        r.dialog.startDownload();
        expectRefused(r, "File Open Error. filename=" + c.path);
        if (c.reason != nullptr) {
            EXPECT_EQ(r.dialog.failureReason(), c.path + ": " + c.reason);
        }
        EXPECT_EQ(r.printer.calls.back(), "close");
        EXPECT_THAT(r.queues.calls, ElementsAre("redirect COM1|", "restore"));
    }
}

// The download command refuses before any port is opened without a file, or with a file of a HEX
// model that is neither Intel HEX nor S-records: the selection is kept, the buttons come back.
TEST(Start, DownloadCommandRefusesWithoutAFileOrOneThatDoesNotConvert) {
    for (const int32_t model : {0, 100}) {
        EngineRig r("COM1", model, bytesOf("this is no hex file\n"), 0);
        if (model == 0) {
            r.dialog.firmwarePath.clear();
        }
        const std::string selection = r.dialog.firmwarePath;
        r.dialog.onDownloadClicked();
        EXPECT_THAT(r.reporter.texts(), ElementsAre(model == 0 ? "No select File!! Select File!"
                                                               : "Failed File Loading!!"));
        EXPECT_EQ(r.dialog.firmwarePath, selection);
        EXPECT_TRUE(r.view.allEnabled());
        EXPECT_THAT(r.printer.calls, IsEmpty());
    }
}

TEST(Start, HexModelsConvertFirstAndKeepTheSelection) {
    // A real Intel HEX file: the converted image goes out, the selection comes back.
    EngineRig r("COM1", 101, bytesOf(":0400000001020304F2\n:00000001FF\n"));
    const std::string hexPath = r.dialog.firmwarePath;
    r.dialog.onDownloadClicked();
    EXPECT_EQ(r.dialog.firmwarePath, hexPath);
    r.run();
    ASSERT_EQ(r.printer.received.size(), 4u + 262144u);
    EXPECT_EQ(std::vector<uint8_t>(r.printer.received.begin(), r.printer.received.begin() + 9),
              (std::vector<uint8_t>{0x1B, 0x23, 0x6D, 0x6B, 1, 2, 3, 4, 0xFF}));
}

} // namespace
