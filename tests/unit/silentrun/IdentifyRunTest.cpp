// --identify: which port the command line names, what is printed for each way the printer
// answers or does not, the exit status, and the JSON result.
#include "silentrun/IdentifyRun.h"
#include "support/AppFakes.h"
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

namespace {

using namespace enginefakes;
using ::testing::HasSubstr;

struct Identify : ::testing::Test {
    // Runs --identify with the words after the program name; the printer answers with fields
    // when connected (nothing: the connection fails with "refused").
    int run(std::vector<std::string> words, std::optional<std::map<uint8_t, std::string>> fields,
            bool quiet = false) {
        words.insert(words.begin(), "mirelith");
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        IdentifyServices services{
            files,
            reporter,
            clock,
            [&](const PortSettings& port, std::string& why) -> std::unique_ptr<PrinterReplies> {
                connectedTo.push_back(port.portName + ":" + std::to_string(port.baudRate));
                if (!fields) {
                    why = "refused";
                    return nullptr;
                }
                return std::make_unique<FieldReplies>(clock, FieldReplies::says(*fields));
            },
            [&](int32_t code) {
                usbModels.push_back(code);
                return usbPath;
            },
            [](const std::string& name, int32_t tcpPort) {
                return name + "/" + std::to_string(tcpPort);
            },
            [](const std::string& name, int32_t) { return "dev:" + name; },
            [] { return std::string("2026-12-07T10:00:00Z"); },
            out,
            err};
        const int status = runIdentify({words, resultPath, quiet, "1.0.0"}, services);
        output = textOfClosed(out);
        errors = textOfClosed(err);
        return status;
    }

    FakeFileSystem files;
    RecordingReporter reporter;
    FakeClock clock{1000};
    std::string usbPath;
    std::vector<int32_t> usbModels;
    std::vector<std::string> connectedTo;
    std::optional<std::string> resultPath;
    std::string output;
    std::string errors;
};

const std::map<uint8_t, std::string> kAll = {
    {0x41, "1.20"}, {0x42, "Voranex"}, {0x43, "T90 Prime"}, {0x44, "SN7"}};

TEST_F(Identify, ThePrinterOnTheNamedPortIsAskedForItsFourFields) {
    EXPECT_EQ(run({"-p", "NET", "10.0.0.5", "-tcpport", "9101"}, kAll), 0);
    EXPECT_EQ(output, "firmware: 1.20\nmaker: Voranex\nmodel: T90 Prime\nserial: SN7\n");
    EXPECT_EQ(errors, "");
    EXPECT_EQ(connectedTo, (std::vector<std::string>{"10.0.0.5:9101"}));
    // "-s" may be given as for a silent run; a serial port gets its usual speed.
    EXPECT_EQ(run({"-s", "-p", "COM2"}, kAll), 0);
    EXPECT_EQ(connectedTo.back(), "COM2:115200");
    // Without a device, USB means the first attached printer of the model.
    usbPath = "\\\\?\\usb#vid_f0a0&pid_0025#SN7#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    EXPECT_EQ(run({"-p", "USB", "-m", "T90 Prime"}, kAll), 0);
    EXPECT_EQ(usbModels, (std::vector<int32_t>{1112}));
    EXPECT_EQ(connectedTo.back(), usbPath + ":0");
}

TEST_F(Identify, EachWayThePrinterFailsToSayItsVersionHasItsStatusAndReason) {
    const struct Case {
        std::vector<std::string> words;
        std::optional<std::map<uint8_t, std::string>> fields;
        int status;
        const char* reason;
        bool linesPrinted;
    } cases[] = {
        // clang-format off
        {{"-p", "NET", "10.0.0.5"}, std::nullopt, 2, "mirelith: refused\n", false},
        {{"-p", "NET", "10.0.0.5"}, std::map<uint8_t, std::string>{{0x42, "Voranex"}}, 5,
         "mirelith: the printer did not say its firmware version\n", true},
        {{"-p", "LPT1"}, std::map<uint8_t, std::string>{}, 5,
         "mirelith: a parallel port carries no replies from the printer\n", true},
        {{"-p", "FOO"}, kAll, 1, "mirelith: no port to ask", false},
        // No USB printer of the model attached: a port that cannot be opened.
        {{"-p", "USB", "-m", "T90 Prime"}, kAll, 2,
         "mirelith: no attached USB printer belongs to model T90 Prime", false},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words[1]);
        EXPECT_EQ(run(c.words, c.fields), c.status);
        EXPECT_THAT(errors, ::testing::StartsWith(c.reason));
        // The fields are printed whenever the printer was reached, the missing one as unknown.
        EXPECT_EQ(output.empty(), !c.linesPrinted) << output;
        if (c.linesPrinted) {
            EXPECT_THAT(output, HasSubstr("firmware: unknown\n"));
        }
    }
}

TEST_F(Identify, TheResultFileHoldsTheFieldsThePortAndHowItEnded) {
    ScratchDir dir;
    resultPath = dir.path("identity.json");
    // Each key given has its value (null: known to be unknown).
    const auto expectResult = [&](const char* expected) {
        const nlohmann::json json = nlohmann::json::parse(std::ifstream(*resultPath));
        const nlohmann::json keys = nlohmann::json::parse(expected);
        for (const auto& [key, value] : keys.items()) {
            EXPECT_EQ(json.at(key), value) << key;
        }
    };
    EXPECT_EQ(run({"-p", "NET", "10.0.0.5"}, std::map<uint8_t, std::string>{{0x41, "2.00"}}, true),
              0);
    // Three unanswered fields, each waited for at most 2 s.
    expectResult(R"({"exit_status": 0, "firmware": "2.00", "maker": null, "port": "10.0.0.5/9100",
        "device": "dev:10.0.0.5", "started": "2026-12-07T10:00:00Z", "version": "1.0.0",
        "reason": null, "duration_ms": 6000})");
    EXPECT_EQ(run({"-p", "NET", "10.0.0.5"}, std::nullopt), 2);
    expectResult(R"({"exit_status": 2, "reason": "refused", "firmware": null})");
}

} // namespace
