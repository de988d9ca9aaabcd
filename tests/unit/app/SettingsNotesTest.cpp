// The settings readers: what the INI keys give, and what the readers say besides the run mode:
// for each kind of refusal the argument or INI key with its value and what would be accepted;
// for each guess or skipped word a warning.
#include "app/SettingsReaders.h"
#include "app/TextRules.h"
#include "platform/DevicePaths.h"
#include "support/AppFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The port forms a refusal lists: device paths only on a system that takes them (Linux).
const bool devicePaths = devicePathKind("/dev/ttyS0") != DevicePathKind::None;
const std::string cmdPorts = devicePaths
                                 ? "COM1-COM256, LPT1-LPT256, USB, NET <address> or a device path"
                                 : "COM1-COM256, LPT1-LPT256, USB or NET <address>";
const std::string iniPorts = devicePaths ? "COM1-COM256, LPT1-LPT256, USB, NET or a device path"
                                         : "COM1-COM256, LPT1-LPT256, USB or NET";

// "cmd" rows are the words after "mirelith -s"; "ini" rows the body of section [NUV].
struct Row {
    const char* source;
    std::vector<std::string> input;
    std::string refusal;
};

RunMode read(const Row& row, StartupSettings& settings) {
    FakeFileSystem files;
    files.addEntry("/fw", "KIX-2_B_010111.fls");
    files.addEntry("/fw", "KIX-2_A_020111.fls");
    RecordingReporter reporter;
    settings = inFw();
    if (std::string(row.source) == "ini") {
        std::string body = "[NUV]\n";
        for (const std::string& line : row.input) {
            body += line + "\n";
        }
        files.addFile("/fw/qemnuv.ini", body);
        return loadIniSettings(settings, "/fw/qemnuv.ini", files, reporter);
    }
    std::vector<std::string> words = {"mirelith", "-s"};
    words.insert(words.end(), row.input.begin(), row.input.end());
    return parseCommandLine(settings, words, files, reporter);
}

TEST(SettingsNotes, EveryRefusalNamesWhatWasRefusedAndWhatIsAccepted) {
    const Row rows[] = {
        {"cmd", {"-m"}, "-m needs a model name after it"},
        {"cmd", {"-f"}, "-f needs a firmware file name after it"},
        {"cmd", {"-p"}, "-p needs a port after it: " + cmdPorts},
        {"cmd", {"-p", "FOO"}, "-p FOO: not a port: " + cmdPorts},
        {"cmd", {"-p", "CO"}, "-p CO: not a port: " + cmdPorts},
        {"cmd", {"-p", "NET"}, "-p NET needs the printer's address after it"},
        {"cmd", {"-p", "COM1", "-b"}, "-b needs a baud rate after it"},
        {"cmd", {"-p", "NET", "h", "-tcpport"}, "-tcpport needs a TCP port number after it"},
        {"cmd",
         {"-p", "NET", "10.0.0.2", "-b", "9600"},
         "-b 9600: -b follows a COM port (-p COM1 -b 9600)"},
        {"cmd", {"-b", "9600", "-p", "COM1"}, "-b 9600: -b follows a COM port (-p COM1 -b 9600)"},
        {"cmd", {"-tcpport", "9101"}, "-tcpport 9101: -tcpport follows -p NET <address>"},
        {"cmd",
         {"-p", "COM1", "-tcpport", "9101"},
         "-tcpport 9101: -tcpport follows -p NET <address>"},
        {"ini", {"MODELNAME=KAV"}, "qemnuv.ini has no PORTTYPE: " + iniPorts},
        {"ini", {"PORTTYPE=PRN"}, "PORTTYPE=PRN: not a port: " + iniPorts},
        {"ini", {"PORTTYPE=net"}, "PORTTYPE=net: qemnuv.ini needs the printer's address in IP"},
        {"ini",
         {"PORTTYPE=COM1", "MODELNAME=T90 Prime"},
         "MODELNAME=T90 Prime: qemnuv.ini takes only model names beginning with KAV, KEW, KIX, "
         "KOY or KUZ"},
        {"ini",
         {"PORTTYPE=COM1", "MODELNAME=KAV", "FWNAME=a.FLS"},
         "FWNAME=a.FLS: qemnuv.ini takes only file names ending in fls (lower case)"},
        {"ini",
         {"PORTTYPE=COM1", "FWNAME=a.fls"},
         "FWNAME=a.fls: qemnuv.ini needs MODELNAME with FWNAME"},
        {"ini",
         {"PORTTYPE=COM1", "MODELNAME=KAV"},
         "MODELNAME=KAV and no FWNAME: no firmware file of that model in /fw"},
        {"ini",
         {"PORTTYPE=COM1"},
         "qemnuv.ini names no MODELNAME or FWNAME, and /fw does not hold exactly one firmware "
         "file to take them from"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.input));
        StartupSettings settings;
        EXPECT_EQ(read(row, settings), RunMode::Invalid);
        EXPECT_EQ(settings.refusal, row.refusal);
    }
    // An accepted line has nothing to say.
    StartupSettings settings;
    EXPECT_EQ(
        read({"cmd", {"-p", "COM1", "-b", "9600", "-m", "T90 Prime", "-f", "a.fls"}, ""}, settings),
        RunMode::Silent);
    EXPECT_EQ(settings.refusal, "");
    EXPECT_THAT(settings.warnings, IsEmpty());
}

struct IniCase {
    std::string body;    // of section [NUV]
    std::string outcome; // as portOutcome gives it
    std::string model;
    std::string file;
};

// loadIniSettings: required keys, defaults, prefixes and completion; never Interactive.
TEST(SettingsNotes, IniKeysGiveThePortModelAndFile) {
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
        // Refused: an empty port, an address of blanks, a family prefix in lower case; a model
        // read before the refusal stays. (The other refusals, with their words, are above.)
        {"PORTTYPE=\nMODELNAME=KAV\nFWNAME=a.fls", "invalid", "", ""},
        {"PORTTYPE=NET\nIP=  \nMODELNAME=KAV\nFWNAME=a.fls", "invalid", "", ""},
        {"PORTTYPE=COM1\nMODELNAME=kav-100\nFWNAME=a.fls", "invalid", "", ""},
        {"PORTTYPE=COM1\nMODELNAME=KAV\nFWNAME=a.FLS", "invalid", "KAV", ""},
        {"PORTTYPE=COM1\nMODELNAME=KAV", "invalid", "KAV", ""}, // no firmware of the model
    };
    for (const IniCase& c : cases) {
        SCOPED_TRACE(c.body);
        StartupSettings settings;
        const RunMode mode = read({"ini", {c.body}, ""}, settings);
        EXPECT_EQ(portOutcome(mode, settings), c.outcome);
        EXPECT_EQ(settings.modelName, c.model);
        EXPECT_EQ(settings.firmwareFileName, c.file);
        EXPECT_EQ(settings.modelGiven && settings.fileGiven, mode == RunMode::Silent);
    }
}

// The run goes on as it always did, and says what it guessed or left out.
TEST(SettingsNotes, GuessesAndSkippedWordsAreSaid) {
    StartupSettings settings;
    EXPECT_EQ(read({"cmd",
                    {"--port", "NET", "-p", "NET", "-m", "-tcpport", "abc", "--verbose", "-m",
                     "KAV", "-f", "a.fls"},
                    ""},
                   settings),
              RunMode::Silent);
    EXPECT_EQ(settings.portSettings.portName, "-m");
    EXPECT_EQ(settings.portSettings.baudRate, 0);
    const std::string skipped =
        ": not an option of a silent run; skipped (the options are -m, -p, -b, -tcpport and -f)";
    EXPECT_THAT(settings.warnings,
                ElementsAre("--port" + skipped, "NET" + skipped,
                            "-p NET -m: the address looks like an option; it is used as the "
                            "printer's address",
                            "-tcpport abc: not a plain number; -tcpport 0 is used",
                            "--verbose" + skipped));

    // The INI file's numbers as its profile rules read them.
    EXPECT_EQ(
        read({"ini", {"PORTTYPE=NET", "IP=h", "TCPPORT=91OO", "MODELNAME=KAV", "FWNAME=a.fls"}, ""},
             settings),
        RunMode::Silent);
    EXPECT_EQ(settings.portSettings.baudRate, 91);
    EXPECT_THAT(settings.warnings,
                ElementsAre("TCPPORT=91OO: not a plain number; TCPPORT=91 is used"));
    EXPECT_EQ(read({"ini", {"PORTTYPE=COM2", "BAUDRATE=9600", "MODELNAME=KAV", "FWNAME=a.fls"}, ""},
                   settings),
              RunMode::Silent);
    EXPECT_THAT(settings.warnings, IsEmpty());

    // "-s" anywhere but first: the window is asked for, as before, and the user hears why.
    FakeFileSystem files;
    RecordingReporter reporter;
    settings = inFw();
    EXPECT_EQ(parseCommandLine(settings, {"mirelith", "-m", "KAV", "-s"}, files, reporter),
              RunMode::Interactive);
    EXPECT_THAT(settings.warnings,
                ElementsAre("-s must come first: without it in first place the command line asks "
                            "for the window, and its options are not read"));
    settings = inFw();
    EXPECT_EQ(parseCommandLine(settings, {"mirelith", "-m", "KAV"}, files, reporter),
              RunMode::Interactive);
    EXPECT_THAT(settings.warnings, IsEmpty());

    // What firmware discovery puts in place of the command line, or why it cannot.
    files.addEntry("/fw", "KIX-2_B_010111.fls");
    settings = inFw();
    EXPECT_EQ(parseCommandLine(settings, {"mirelith", "-s", "-f", "a.fls"}, files, reporter),
              RunMode::Silent);
    EXPECT_THAT(settings.warnings, ElementsAre("-f a.fls without -m: KIX-2_B_010111.fls, the only "
                                               "firmware file here, is sent instead"));
    files.addFile("/fw/qemnuv.ini", "[NUV]\nPORTTYPE=COM1\n");
    settings = inFw();
    EXPECT_EQ(loadIniSettings(settings, "/fw/qemnuv.ini", files, reporter), RunMode::Silent);
    EXPECT_TRUE(settings.modelGiven && settings.fileGiven && settings.warnings.empty());
    EXPECT_EQ(settings.modelName, "KIX-2");
    settings = inFw();
    EXPECT_EQ(parseCommandLine(settings, {"mirelith", "-s", "-m", "KAV"}, files, reporter),
              RunMode::Interactive);
    EXPECT_THAT(settings.warnings, ElementsAre("-m KAV without -f: no firmware file of that model "
                                               "in /fw: the window is asked for instead of a "
                                               "silent run"));
    files.addEntry("/fw", "KIX-2_A_020111.fls");
    settings = inFw();
    EXPECT_EQ(parseCommandLine(settings, {"mirelith", "-s"}, files, reporter),
              RunMode::Interactive);
    EXPECT_THAT(settings.warnings,
                ElementsAre("no -m, and /fw does not hold exactly one firmware file to take the "
                            "model from: the window is asked for instead of a silent run"));
}

// -f and FWNAME: an absolute path in the system's own syntax is used as it is.
TEST(SettingsNotes, AbsolutePathsAreKeptAndRelativeOnesJoinTheStartDirectory) {
    const struct {
        char separator;
        std::string name;
        std::string path;
    } cases[] = {
        {'/', "/srv/firmware/KAV_T90_060125.fls", "/srv/firmware/KAV_T90_060125.fls"},
        {'/', "fw/KAV.fls", "/start/fw/KAV.fls"},
        {'/', "C:\\fw\\KAV.fls", "/start/C:\\fw\\KAV.fls"}, // a Windows path is a name here
        {'\\', "C:\\firmware\\KAV.fls", "C:\\firmware\\KAV.fls"},
        {'\\', "c:/firmware/KAV.fls", "c:/firmware/KAV.fls"},
        {'\\', "\\\\server\\share\\KAV.fls", "\\\\server\\share\\KAV.fls"},
        {'\\', "C:KAV.fls", "/start\\C:KAV.fls"}, // relative to C:'s own directory: not absolute
        {'\\', "KAV.fls", "/start\\KAV.fls"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pathInDirectory("/start", c.separator, c.name), c.path);
    }
}

} // namespace
