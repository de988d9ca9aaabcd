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

TEST_F(CommandLine, WithoutDashSFirstTheRunIsInteractive) {
    addFirmware("KAV-100_V1_031512.fls");
    for (const auto& words :
         std::vector<std::vector<std::string>>{{}, {"-S"}, {"/s"}, {"-m", "KAV", "-s"}, {"-s "}}) {
        StartupSettings fresh = inFw();
        settings = fresh;
        EXPECT_EQ(parse(words), RunMode::Interactive);
    }
    EXPECT_TRUE(reporter.reports.empty());
}

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

TEST_F(CommandLine, PortValuesAreUpperCasedAndClassified) {
    struct Case {
        std::string value;
        std::string portName;
        int32_t baudRate;
    };
    for (const Case& c : std::vector<Case>{{"com1", "COM1", 115200},
                                           {"com12", "\\\\.\\COM12", 115200},
                                           {"COM1X", "\\\\.\\COM1X", 115200},
                                           {"\\\\.\\com3", "\\\\.\\COM3", 115200},
                                           {"lpt2", "LPT2", 0}}) {
        settings = inFw();
        ASSERT_EQ(parse({"-s", "-p", c.value, "-m", "KAV", "-f", "a.fls"}), RunMode::Silent);
        EXPECT_EQ(settings.portSettings.portName, c.portName) << c.value;
        EXPECT_EQ(settings.portSettings.baudRate, c.baudRate) << c.value;
        EXPECT_TRUE(settings.portGiven);
        EXPECT_FALSE(settings.portIsUsb);
    }
}

TEST_F(CommandLine, NetTakesTheAddressAsItIsAndAnOptionalTcpPort) {
    ASSERT_EQ(parse({"-s", "-p", "net", "Printer.Local", "-m", "KAV", "-f", "a.fls"}),
              RunMode::Silent);
    EXPECT_EQ(settings.portSettings.portName, "Printer.Local");
    EXPECT_EQ(settings.portSettings.baudRate, 9100);
    EXPECT_TRUE(settings.portIsNet);

    settings = inFw();
    ASSERT_EQ(
        parse({"-s", "-p", "NETWORK", "10.0.0.2", "-tcpport", " 9101x", "-m", "K", "-f", "a.fls"}),
        RunMode::Silent);
    EXPECT_EQ(settings.portSettings.baudRate, 9101);
}

TEST_F(CommandLine, BaudRateFollowsAtoi) {
    for (const auto& [text, value] : std::vector<std::pair<std::string, int32_t>>{
             {"9600", 9600}, {"  -5", -5}, {"x1", 0}, {"99999999999", 2147483647}}) {
        settings = inFw();
        ASSERT_EQ(parse({"-s", "-p", "COM1", "-b", text, "-m", "K", "-f", "a.fls"}),
                  RunMode::Silent);
        EXPECT_EQ(settings.portSettings.baudRate, value) << text;
    }
}

TEST_F(CommandLine, StrayWordsAreSkippedAndTheLastValueWins) {
    ASSERT_EQ(parse({"-s", "-x", "stray", "-m", "A", "-m", "T90 Prime", "-f", "one.fls", "-f",
                     "two.fls", "-p", "COM1", "-p", "LPT1"}),
              RunMode::Silent);
    EXPECT_EQ(settings.modelName, "T90 Prime");
    EXPECT_EQ(settings.firmwareFileName, "two.fls");
    EXPECT_EQ(settings.portSettings.portName, "LPT1");
    // Port-type flags are only ever set, never cleared.
    EXPECT_TRUE(settings.portIsCom);
    EXPECT_TRUE(settings.portIsLpt);
}

TEST_F(CommandLine, UsbAfterComLeavesThePortToDiscovery) {
    ASSERT_EQ(parse({"-s", "-p", "COM1", "-p", "usb", "-m", "K", "-f", "a.fls"}), RunMode::Silent);
    EXPECT_FALSE(settings.portGiven);
    EXPECT_TRUE(settings.portIsUsb);
    EXPECT_TRUE(settings.portIsCom);
    EXPECT_EQ(settings.portSettings.baudRate, 115200);
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

TEST_F(CommandLine, EachAcceptedOptionIsTraced) {
    ASSERT_EQ(parse({"-s", "-m", "K", "-p", "COM1", "-b", "1", "-p", "NET", "h", "-tcpport", "2",
                     "-p", "LPT1", "-p", "USB", "-f", "a.fls"}),
              RunMode::Silent);
    std::vector<std::string> texts;
    for (const Report& r : reporter.reports) {
        EXPECT_EQ(r.toFile, 1);
        EXPECT_EQ(r.level, LogLevel::Trace);
        texts.push_back(r.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Select Model", "Select COM", "Select baudrate",
                                               "Select NET", "Select tcpport", "Select LPT",
                                               "Select USB", "Select file"}));
}

TEST_F(CommandLine, ArgumentsOfAnyLengthAreHandled) {
    const std::string huge(1 << 20, 'A');
    ASSERT_EQ(parse({"-s", "-m", huge, "-f", huge + ".fls", "-p", "COM" + huge}), RunMode::Silent);
    EXPECT_EQ(settings.modelName.size(), huge.size());
    EXPECT_EQ(settings.portSettings.portName, "\\\\.\\COM" + huge);
}

} // namespace
