// parseCommandLine: option order, port values, completion by firmware discovery.
#include "app/SettingsReaders.h"
#include "app/UsageText.h"
#include "models/ModelTable.h"
#include "platform/UsageSections.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

class CommandLine : public ::testing::Test {
  protected:
    RunMode parse(std::vector<std::string> words) {
        settings = inFw();
        words.insert(words.begin(), "mirelith");
        return parseCommandLine(settings, words, files, reporter);
    }

    StartupSettings settings;
    FakeFileSystem files;
    RecordingReporter reporter;
};

// Port values are upper-cased and classified, the last one wins and port-type flags are only
// ever set. Model and file are given twice in front of each line: the last of each wins. (What
// is refused, and why, is SettingsNotesTest's.)
TEST_F(CommandLine, PortOptionsSetNameSpeedAndTypeFlags) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-p", "com1"}, "COM1 115200 CG"},
        {{"-p", "com12"}, "\\\\.\\COM12 115200 CG"},
        {{"-p", "\\\\.\\com3"}, "\\\\.\\COM3 115200 CG"},
        {{"-p", "lpt2"}, "LPT2 0 LG"},
        {{"-p", "net", "Printer.Local"}, "Printer.Local 9100 NG"},
        {{"-p", "NETWORK", "10.0.0.2", "-tcpport", " 9101x"}, "10.0.0.2 9101 NG"},
        // -b reads like atoi: leading blanks, a sign, and saturation.
        {{"-p", "COM1", "-b", "  -5"}, "COM1 -5 CG"},
        {{"-p", "COM1", "-b", "x1"}, "COM1 0 CG"},
        {{"-p", "COM1", "-b", "99999999999"}, "COM1 2147483647 CG"},
        // Stray words are skipped; the last port wins but the flags stay.
        {{"-x", "stray", "-p", "COM1", "-p", "LPT1"}, "LPT1 115200 CLG"},
        // USB after COM leaves the device to discovery, with the serial defaults.
        {{"-p", "COM1", "-p", "usb"}, "COM1 115200 CU"},
#ifndef _WIN32
        // Device paths are taken as they are, never upper-cased, with the defaults of their
        // type; a device that COMn or LPTn leads to is that port (no MIRELITH_COMn or
        // MIRELITH_LPTn is set here). Which paths are devices is DeviceRulesTest's.
        {{"-p", "/dev/ttyUSB0"}, "/dev/ttyUSB0 115200 CG"},
        {{"-p", "/dev/ttyACM1", "-b", "9600"}, "/dev/ttyACM1 9600 CG"},
        {{"-p", "/dev/ttyS11"}, "\\\\.\\COM12 115200 CG"},
        {{"-p", "/dev/lp0"}, "LPT1 0 LG"},
        {{"-p", "/dev/usb/lp1"}, "/dev/usb/lp1 0 UG"},
        {{"-p", "/dev/usb/lp1", "-p", "USB"}, "/dev/usb/lp1 0 U"}, // discovery still asked
        {{"-p", "/dev/sda"}, "invalid"},
#endif
    };
    for (const auto& [tail, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(tail));
        std::vector<std::string> words = {"-s", "-m",    "K",  "-m",   "T90 Prime",
                                          "-f", "1.fls", "-f", "a.fls"};
        words.insert(words.end(), tail.begin(), tail.end());
        EXPECT_EQ(portOutcome(parse(words), settings), expected);
        EXPECT_EQ(settings.modelName + "/" + settings.firmwareFileName, "T90 Prime/a.fls");
    }
    // The log's trace names each choice in the order read.
    reporter.reports.clear();
    parse({"-s", "-m", "K", "-f", "a.fls", "-p", "COM1", "-b", "9600", "-p", "LPT1", "-p", "USB",
           "-p", "NET", "h", "-tcpport", "1"});
    EXPECT_EQ(reporter.texts(), (std::vector<std::string>{
                                    "Select Model", "Select file", "Select COM", "Select baudrate",
                                    "Select LPT", "Select USB", "Select NET", "Select tcpport"}));
}

// --help states the speeds a port gets when the command line names none, the model code any
// other name gets, and, in order, every section this system adds.
TEST_F(CommandLine, HelpStatesTheDefaultsTheParserUsesAndEverySystemSection) {
    const std::string help = helpText("log");
    const UsageSections& system = usageSections();
    const std::string fallback =
        "downloads with the rules of code " + std::to_string(modelCodeFor("KAV-100")) + "\n";
    size_t at = 0;
    for (const char* piece : {system.otherForms, system.listOption, system.ports, fallback.c_str(),
                              "qemnuv.ini, section [NUV]:", system.systemNotes,
                              "Exit status:", system.interrupted, "\nLog: failures"}) {
        at = help.find(piece, at);
        ASSERT_NE(at, std::string::npos) << piece;
    }
    for (const auto& [words, line] :
         {std::pair{std::vector<std::string>{"-s", "-p", "COM1"}, "after a serial -p (default "},
          std::pair{std::vector<std::string>{"-s", "-p", "NET", "a"}, "after -p NET (default "}}) {
        parse(words);
        const std::string stated = line + std::to_string(settings.portSettings.baudRate) + ")";
        EXPECT_NE(help.find(stated), std::string::npos) << stated;
    }
    // --version names the Qt it was built with, and no Qt where there is none.
    EXPECT_EQ(versionText({"1.2", "GCC 12", ""}) + versionText({"1.2", "GCC 12", "6.4"}),
              "mirelith 1.2\nbuilt with GCC 12\nmirelith 1.2\nbuilt with GCC 12, Qt 6.4\n");
}

#ifdef _WIN32
// The Windows console program's --help: the same text as on Linux where the systems agree, and
// nothing that only Linux has (device paths, --list, signals, XDG directories).
TEST(WindowsHelp, NamesWindowsPortsAndLogPlaceAndNothingOnlyLinuxHas) {
    const std::string help = helpText("C:\\Users\\ann\\AppData\\Local\\Mirelith\\_QEM_NUV.txt");
    for (const char* text :
         {"Usage: mirelith -s", "mirelith --help | --version\n\nWrites new firmware",
          "  --result FILE", "-h, --help", "COMn, \\\\.\\COMn", "NET ADDRESS",
          "FWNAME=", "%LOCALAPPDATA%\\Mirelith\\", "2  the download failed",
          "3  interrupted by Ctrl+C or Ctrl+Break",
          "appended to\n  C:\\Users\\ann\\AppData\\Local\\Mirelith\\_QEM_NUV.txt\n"}) {
        EXPECT_NE(help.find(text), std::string::npos) << text;
    }
    for (const char* text : {"/dev/", "--list", "SIGHUP", "XDG_STATE_HOME", "MIRELITH_COMn"}) {
        EXPECT_EQ(help.find(text), std::string::npos) << text;
    }
}
#endif

} // namespace
