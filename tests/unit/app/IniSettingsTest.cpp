// loadIniSettings: required keys, defaults, prefixes and completion; never Interactive.
#include "app/SettingsReaders.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

struct IniCase {
    std::string body;    // of section [NUV]
    std::string outcome; // as portOutcome gives it
    std::string model;
    std::string file;
};

TEST(IniSettings, KeysGiveThePortModelAndFile) {
    const IniCase cases[] = {
        {"PORTTYPE=com3\nMODELNAME=KAV-100\nFWNAME=KAV-100_1.fls", "COM3 115200 CG", "KAV-100",
         "KAV-100_1.fls"},
        {"PORTTYPE=COM10\nBAUDRATE=x9600\nMODELNAME=KAV\nFWNAME=a.fls", "\\\\.\\COM10 0 CG", "KAV",
         "a.fls"},
        {"PORTTYPE=lpt1\nBAUDRATE=5\nMODELNAME=KOY\nFWNAME=a.fls", "LPT1 0 LG", "KOY", "a.fls"},
        {"PORTTYPE=USB001\nMODELNAME=KUZ\nFWNAME=a.fls", " 0 U", "KUZ", "a.fls"},
        {"PORTTYPE=net\nIP=Printer.local\nMODELNAME=KAV\nFWNAME=a.fls", "Printer.local 9100 NG",
         "KAV", "a.fls"},
        {"PORTTYPE=NET\nIP=h\nTCPPORT=9200\nBAUDRATE=1\nMODELNAME=KAV\nFWNAME=a.fls", "h 9200 NG",
         "KAV", "a.fls"},
        // Without a file name the newest of the model, without a model the only firmware file.
        {"PORTTYPE=COM1\nMODELNAME=KIX-2", "COM1 115200 CG", "KIX-2", "KIX-2_A_020111.fls"},
        {"PORTTYPE=COM1", "invalid", "", ""}, // the directory holds two
        // Rejected: the port, a name without a family prefix, a file that is no ".fls".
        {"", "invalid", "", ""},
        {"PORTTYPE=\nMODELNAME=KAV\nFWNAME=a.fls", "invalid", "", ""},
        {"PORTTYPE=PRN\nMODELNAME=KAV\nFWNAME=a.fls", "invalid", "", ""},
        {"PORTTYPE=NET\nMODELNAME=KAV\nFWNAME=a.fls", "invalid", "", ""},
        {"PORTTYPE=NET\nIP=  \nMODELNAME=KAV\nFWNAME=a.fls", "invalid", "", ""},
        {"PORTTYPE=COM1\nMODELNAME=kav-100\nFWNAME=a.fls", "invalid", "", ""},
        {"PORTTYPE=COM1\nMODELNAME=T90 Prime", "invalid", "", ""},
        {"PORTTYPE=COM1\nMODELNAME=KAV\nFWNAME=a.FLS", "invalid", "KAV", ""},
        {"PORTTYPE=COM1\nFWNAME=a.fls", "invalid", "", ""},
        {"PORTTYPE=COM1\nMODELNAME=KAV", "invalid", "KAV", ""}, // no firmware of the model
    };
    for (const IniCase& c : cases) {
        SCOPED_TRACE(c.body);
        FakeFileSystem files;
        files.addEntry("/fw", "KIX-2_B_010111.fls");
        files.addEntry("/fw", "KIX-2_A_020111.fls");
        files.addFile("/fw/qemnuv.ini", "[NUV]\n" + c.body + "\n");
        StartupSettings settings = inFw();
        RecordingReporter reporter;
        const RunMode mode = loadIniSettings(settings, "/fw/qemnuv.ini", files, reporter);
        EXPECT_EQ(portOutcome(mode, settings), c.outcome);
        EXPECT_EQ(settings.modelName, c.model);
        EXPECT_EQ(settings.firmwareFileName, c.file);
        EXPECT_EQ(settings.modelGiven && settings.fileGiven, mode == RunMode::Silent);
    }
}

} // namespace
