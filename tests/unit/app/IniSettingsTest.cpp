// loadIniSettings: required keys, defaults, prefixes and completion; never Interactive.
#include "app/SettingsReaders.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

class IniSettings : public ::testing::Test {
  protected:
    RunMode load(const std::string& body) {
        files.addFile(kPath, "[NUV]\r\n" + body);
        return loadIniSettings(settings, kPath, files, reporter);
    }
    void addFirmware(const std::string& name) { files.addEntry("/fw", name); }

    const std::string kPath = "/fw/qemnuv.ini";
    StartupSettings settings = inFw();
    FakeFileSystem files;
    RecordingReporter reporter;
};

TEST_F(IniSettings, ComWithDefaultsAndBaudRate) {
    ASSERT_EQ(load("PORTTYPE=com3\r\nMODELNAME=KAV-100\r\nFWNAME=KAV-100_1.fls\r\n"),
              RunMode::Silent);
    EXPECT_EQ(settings.portSettings.portName, "COM3");
    EXPECT_EQ(settings.portSettings.baudRate, 115200);
    EXPECT_TRUE(settings.portGiven && settings.portIsCom && settings.modelGiven &&
                settings.fileGiven);
    EXPECT_EQ(settings.firmwareFileName, "KAV-100_1.fls");

    settings = inFw();
    ASSERT_EQ(load("PORTTYPE=COM10\r\nBAUDRATE=x9600\r\nMODELNAME=KAV\r\nFWNAME=a.fls\r\n"),
              RunMode::Silent);
    EXPECT_EQ(settings.portSettings.portName, "\\\\.\\COM10");
    EXPECT_EQ(settings.portSettings.baudRate, 0);
}

TEST_F(IniSettings, NetNeedsAnAddressAndReadsTheTcpPort) {
    EXPECT_EQ(load("PORTTYPE=NET\r\nMODELNAME=KAV\r\nFWNAME=a.fls\r\n"), RunMode::Invalid);
    settings = inFw();
    EXPECT_EQ(load("PORTTYPE=NET\r\nIP=  \r\nMODELNAME=KAV\r\nFWNAME=a.fls\r\n"), RunMode::Invalid);

    settings = inFw();
    ASSERT_EQ(load("PORTTYPE=net\r\nIP=Printer.local\r\nMODELNAME=KAV\r\nFWNAME=a.fls\r\n"),
              RunMode::Silent);
    EXPECT_EQ(settings.portSettings.portName, "Printer.local");
    EXPECT_EQ(settings.portSettings.baudRate, 9100);

    settings = inFw();
    ASSERT_EQ(load("PORTTYPE=NET\r\nIP=h\r\nTCPPORT=9200\r\nBAUDRATE=1\r\nMODELNAME=KAV\r\n"
                   "FWNAME=a.fls\r\n"),
              RunMode::Silent);
    EXPECT_EQ(settings.portSettings.baudRate, 9200);
}

TEST_F(IniSettings, LptAndUsb) {
    ASSERT_EQ(load("PORTTYPE=lpt1\r\nBAUDRATE=5\r\nMODELNAME=KOY\r\nFWNAME=a.fls\r\n"),
              RunMode::Silent);
    EXPECT_EQ(settings.portSettings.portName, "LPT1");
    EXPECT_EQ(settings.portSettings.baudRate, 0);

    settings = inFw();
    ASSERT_EQ(load("PORTTYPE=USB001\r\nMODELNAME=KUZ\r\nFWNAME=a.fls\r\n"), RunMode::Silent);
    EXPECT_TRUE(settings.portIsUsb);
    EXPECT_FALSE(settings.portGiven);
    EXPECT_EQ(settings.portSettings.portName, "");
}

TEST_F(IniSettings, RejectedSettingsAreInvalidAndNotKept) {
    const std::vector<std::string> bodies = {
        "",
        "PORTTYPE=\r\nMODELNAME=KAV\r\nFWNAME=a.fls\r\n",
        "PORTTYPE=PRN\r\nMODELNAME=KAV\r\nFWNAME=a.fls\r\n",
        "PORTTYPE=COM1\r\nMODELNAME=kav-100\r\nFWNAME=a.fls\r\n",
        "PORTTYPE=COM1\r\nMODELNAME=T90 Prime\r\n",
        "PORTTYPE=COM1\r\nMODELNAME=KAV\r\nFWNAME=a.FLS\r\n",
        "PORTTYPE=COM1\r\nFWNAME=a.fls\r\n",
        "PORTTYPE=COM1\r\nMODELNAME=KAV\r\n", // no firmware of the model
        "PORTTYPE=COM1\r\n",                  // no firmware at all
    };
    for (const std::string& body : bodies) {
        settings = inFw();
        EXPECT_EQ(load(body), RunMode::Invalid) << body;
        EXPECT_EQ(settings.firmwareFileName, "") << body;
        if (body.find("kav-100") != std::string::npos || body.find("T90") != std::string::npos) {
            EXPECT_EQ(settings.modelName, "") << body;
        }
    }
}

TEST_F(IniSettings, MissingFileNameIsFoundInTheStartDirectory) {
    addFirmware("KIX-2_B_010111.fls");
    addFirmware("KIX-2_A_020111.fls");
    ASSERT_EQ(load("PORTTYPE=COM1\r\nMODELNAME=KIX-2\r\n"), RunMode::Silent);
    EXPECT_EQ(settings.firmwareFileName, "KIX-2_A_020111.fls");

    files = FakeFileSystem{};
    addFirmware("KEW-7_x_061523.fls");
    settings = inFw();
    ASSERT_EQ(load("PORTTYPE=COM1\r\n"), RunMode::Silent);
    EXPECT_EQ(settings.modelName, "KEW-7");
    EXPECT_EQ(settings.firmwareFileName, "KEW-7_x_061523.fls");
    EXPECT_TRUE(settings.modelGiven && settings.fileGiven);
}

} // namespace
