// parseCommandLine: option order, port values, completion by firmware discovery.
#include "app/SettingsReaders.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

class CommandLine : public ::testing::Test {
  protected:
    RunMode parse(std::vector<std::string> words) {
        words.insert(words.begin(), "mirelith");
        return parseCommandLine(settings, words, files, reporter);
    }
    void addFirmware(const std::string& name) { files.addEntry(settings.startDirectory, name); }

    StartupSettings settings = inFw();
    FakeFileSystem files;
    RecordingReporter reporter;
};

TEST_F(CommandLine, MalformedOptionsAreInvalid) {
    addFirmware("KAV-100_V1_031512.fls");
    const std::vector<std::vector<std::string>> cases = {
        {"-s", "-m"},
        {"-s", "-f"},
        {"-s", "-p"},
        {"-s", "-p", "PRN"},
        {"-s", "-p", "NET"},
        {"-s", "-b", "9600", "-p", "COM1"},
        {"-s", "-p", "COM1", "-b"},
        {"-s", "-tcpport", "9101", "-p", "NET", "1.2.3.4"},
        {"-s", "-p", "COM1", "-tcpport", "9101"},
        {"-s", "-p", "NET", "1.2.3.4", "-b", "1"},
        {"-s", "-p", ""},
        {"-s", "-p", "CO"},
    };
    for (const auto& words : cases) {
        settings = inFw();
        EXPECT_EQ(parse(words), RunMode::Invalid) << ::testing::PrintToString(words);
    }
}

// The port options: values are upper-cased and classified, the last one wins, port-type flags
// are only ever set (C com, L lpt, N net, U usb; G when the port is known without discovery).
TEST_F(CommandLine, PortOptionsSetNameSpeedAndTypeFlags) {
    struct Case {
        std::vector<std::string> words;
        std::string portName;
        int32_t baudRate;
        std::string flags;
    };
    const std::vector<Case> cases = {
        {{"-p", "com1"}, "COM1", 115200, "CG"},
        {{"-p", "com12"}, "\\\\.\\COM12", 115200, "CG"},
        {{"-p", "COM1X"}, "\\\\.\\COM1X", 115200, "CG"},
        {{"-p", "\\\\.\\com3"}, "\\\\.\\COM3", 115200, "CG"},
        {{"-p", "lpt2"}, "LPT2", 0, "LG"},
        {{"-p", "net", "Printer.Local"}, "Printer.Local", 9100, "NG"},
        {{"-p", "NETWORK", "10.0.0.2", "-tcpport", " 9101x"}, "10.0.0.2", 9101, "NG"},
        // -b reads like atoi: leading blanks, a sign, and saturation.
        {{"-p", "COM1", "-b", "9600"}, "COM1", 9600, "CG"},
        {{"-p", "COM1", "-b", "  -5"}, "COM1", -5, "CG"},
        {{"-p", "COM1", "-b", "x1"}, "COM1", 0, "CG"},
        {{"-p", "COM1", "-b", "99999999999"}, "COM1", 2147483647, "CG"},
        // Stray words are skipped; the last port wins but the flags stay.
        {{"-x", "stray", "-p", "COM1", "-p", "LPT1"}, "LPT1", 115200, "CLG"},
        // USB after COM leaves the device to discovery, with the serial defaults.
        {{"-p", "COM1", "-p", "usb"}, "COM1", 115200, "CU"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words));
        settings = inFw();
        std::vector<std::string> words = {"-s", "-m",    "K",  "-m",   "T90 Prime",
                                          "-f", "1.fls", "-f", "a.fls"};
        words.insert(words.end(), c.words.begin(), c.words.end());
        ASSERT_EQ(parse(words), RunMode::Silent);
        EXPECT_EQ(settings.portSettings.portName, c.portName);
        EXPECT_EQ(settings.portSettings.baudRate, c.baudRate);
        std::string flags;
        for (const auto& [set, letter] : {std::pair{settings.portIsCom, 'C'},
                                          {settings.portIsLpt, 'L'},
                                          {settings.portIsNet, 'N'},
                                          {settings.portIsUsb, 'U'},
                                          {settings.portGiven, 'G'}}) {
            flags += set ? std::string(1, letter) : "";
        }
        EXPECT_EQ(flags, c.flags);
        EXPECT_EQ(settings.modelName, "T90 Prime");
        EXPECT_EQ(settings.firmwareFileName, "a.fls");
    }
}

TEST_F(CommandLine, DashSAloneTakesTheOnlyFirmwareFileAndUsb) {
    addFirmware("KAV-100_V1.00_031512.fls");
    addFirmware("notes.txt");
    ASSERT_EQ(parse({"-s", "-f", "mine.fls"}), RunMode::Silent);
    EXPECT_EQ(settings.modelName, "KAV-100");
    EXPECT_EQ(settings.firmwareFileName, "KAV-100_V1.00_031512.fls"); // replaces "-f"
    EXPECT_TRUE(settings.modelGiven && settings.fileGiven);
    EXPECT_TRUE(settings.portIsUsb);
    EXPECT_FALSE(settings.portGiven);

    addFirmware("KEW-1_V1_010112.fls");
    settings = inFw();
    EXPECT_EQ(parse({"-s"}), RunMode::Interactive);
}

TEST_F(CommandLine, ModelWithoutFileTakesTheNewestFirmwareOrGoesInteractive) {
    addFirmware("KAV-100_A_031512.fls");
    addFirmware("KAV-100_B_120111.fls");
    ASSERT_EQ(parse({"-s", "-m", "KAV-100", "-p", "COM2"}), RunMode::Silent);
    EXPECT_EQ(settings.firmwareFileName, "KAV-100_A_031512.fls");

    settings = inFw();
    EXPECT_EQ(parse({"-s", "-m", "kav-100", "-p", "COM2"}), RunMode::Interactive);
}

} // namespace
