// The settings readers: what the INI keys give, and what the readers say besides the run mode:
// for each kind of refusal the argument or INI key with its value and what would be accepted;
// for each guess or skipped word a warning.
#include "app/SettingsReaders.h"
#include "app/TextRules.h"
#include "platform/DevicePaths.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// The port forms a refusal lists: device paths only on a system that takes them (Linux).
const bool devicePaths = devicePathKind("/dev/ttyS0") != DevicePathKind::None;
const std::string cmdPorts = devicePaths
                                 ? "COM1-COM256, LPT1-LPT256, USB, NET <address> or a device path"
                                 : "COM1-COM256, LPT1-LPT256, USB or NET <address>";
const std::string iniPorts = devicePaths ? "COM1-COM256, LPT1-LPT256, USB, NET or a device path"
                                         : "COM1-COM256, LPT1-LPT256, USB or NET";

// "cmd" rows are the words after "mirelith -s", "raw" rows those after "mirelith", "ini" rows
// the body of section [NUV] in one string. The directory holds two KIX-2 firmware files, only the
// older one for a source ending in "1".
struct Row {
    const char* source;
    std::vector<std::string> input;
    std::string outcome; // "port as portOutcome gives it;model;file;what was said"
};

std::string read(const Row& row) {
    FakeFileSystem files;
    files.addEntry("/fw", "KIX-2_B_010111.fls");
    const std::string source = row.source;
    if (source.back() != '1') {
        files.addEntry("/fw", "KIX-2_A_020111.fls");
    }
    RecordingReporter reporter;
    StartupSettings settings = inFw();
    RunMode mode;
    if (source.rfind("ini", 0) == 0) {
        files.addFile("/fw/qemnuv.ini", "[NUV]\n" + row.input.at(0) + "\n");
        mode = loadIniSettings(settings, "/fw/qemnuv.ini", files, reporter);
    } else {
        std::vector<std::string> words = {"mirelith"};
        if (source.rfind("cmd", 0) == 0) {
            words.push_back("-s");
        }
        words.insert(words.end(), row.input.begin(), row.input.end());
        mode = parseCommandLine(settings, words, files, reporter);
    }
    // Model and file count as given exactly when the run is silent.
    EXPECT_EQ(settings.modelGiven && settings.fileGiven, mode == RunMode::Silent);
    std::string said = settings.refusal;
    for (const std::string& warning : settings.warnings) {
        said += (said.empty() ? "" : " / ") + warning;
    }
    return portOutcome(mode, settings) + ";" + settings.modelName + ";" +
           settings.firmwareFileName + ";" + said;
}

void check(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.input));
        EXPECT_EQ(read(row), row.outcome);
    }
}

TEST(SettingsNotes, EveryRefusalNamesWhatWasRefusedAndWhatIsAccepted) {
    check({
        {"cmd", {"-m"}, "invalid;;;-m needs a model name after it"},
        {"cmd", {"-f"}, "invalid;;;-f needs a firmware file name after it"},
        {"cmd", {"-p"}, "invalid;;;-p needs a port after it: " + cmdPorts},
        {"cmd", {"-p", "FOO"}, "invalid;;;-p FOO: not a port: " + cmdPorts},
        {"cmd", {"-p", "CO"}, "invalid;;;-p CO: not a port: " + cmdPorts},
        {"cmd", {"-p", "NET"}, "invalid;;;-p NET needs the printer's address after it"},
        {"cmd", {"-p", "COM1", "-b"}, "invalid;;;-b needs a baud rate after it"},
        {"cmd",
         {"-p", "NET", "h", "-tcpport"},
         "invalid;;;-tcpport needs a TCP port number after it"},
        {"cmd",
         {"-p", "NET", "10.0.0.2", "-b", "9600"},
         "invalid;;;-b 9600: -b follows a COM port (-p COM1 -b 9600)"},
        {"cmd",
         {"-b", "9600", "-p", "COM1"},
         "invalid;;;-b 9600: -b follows a COM port (-p COM1 -b 9600)"},
        {"cmd", {"-tcpport", "9101"}, "invalid;;;-tcpport 9101: -tcpport follows -p NET <address>"},
        {"cmd",
         {"-p", "COM1", "-tcpport", "9101"},
         "invalid;;;-tcpport 9101: -tcpport follows -p NET <address>"},
        {"ini", {"MODELNAME=KAV"}, "invalid;;;qemnuv.ini has no PORTTYPE: " + iniPorts},
        {"ini", {"PORTTYPE=PRN"}, "invalid;;;PORTTYPE=PRN: not a port: " + iniPorts},
        {"ini",
         {"PORTTYPE=net"},
         "invalid;;;PORTTYPE=net: qemnuv.ini needs the printer's address in IP"},
        {"ini",
         {"PORTTYPE=COM1\nMODELNAME=T90 Prime"},
         "invalid;;;MODELNAME=T90 Prime: qemnuv.ini takes only model names beginning with KAV, "
         "KEW, KIX, "
         "KOY or KUZ"},
        // A model read before the refusal stays.
        {"ini",
         {"PORTTYPE=COM1\nMODELNAME=KAV\nFWNAME=a.FLS"},
         "invalid;KAV;;FWNAME=a.FLS: qemnuv.ini takes only file names ending in fls (lower case)"},
        {"ini",
         {"PORTTYPE=COM1\nFWNAME=a.fls"},
         "invalid;;;FWNAME=a.fls: qemnuv.ini needs MODELNAME with FWNAME"},
        {"ini",
         {"PORTTYPE=COM1\nMODELNAME=KAV"},
         "invalid;KAV;;MODELNAME=KAV and no FWNAME: no firmware file of that model in /fw"},
        {"ini",
         {"PORTTYPE=COM1"},
         "invalid;;;qemnuv.ini names no MODELNAME or FWNAME, and /fw does not hold exactly "
         "one firmware file to take them from"},
        // An empty port is none, an address of blanks none, a family prefix in lower case none.
        {"ini",
         {"PORTTYPE=\nMODELNAME=KAV\nFWNAME=a.fls"},
         "invalid;;;qemnuv.ini has no PORTTYPE: " + iniPorts},
        {"ini",
         {"PORTTYPE=NET\nIP=  \nMODELNAME=KAV\nFWNAME=a.fls"},
         "invalid;;;PORTTYPE=NET: qemnuv.ini needs the printer's address in IP"},
        {"ini",
         {"PORTTYPE=COM1\nMODELNAME=kav-100\nFWNAME=a.fls"},
         "invalid;;;MODELNAME=kav-100: qemnuv.ini takes only model names beginning with KAV, KEW, "
         "KIX, KOY or KUZ"},
        // An accepted line has nothing to say.
        {"cmd",
         {"-p", "COM1", "-b", "9600", "-m", "T90 Prime", "-f", "a.fls"},
         "COM1 9600 CG;T90 Prime;a.fls;"},
    });
}

// loadIniSettings: required keys, defaults, prefixes and completion; never Interactive.
TEST(SettingsNotes, IniKeysGiveThePortModelAndFile) {
    check({
        {"ini",
         {"PORTTYPE=com3\nMODELNAME=KAV-100\nFWNAME=KAV-100_1.fls"},
         "COM3 115200 CG;KAV-100;KAV-100_1.fls;"},
        {"ini",
         {"PORTTYPE=COM10\nBAUDRATE=x9600\nMODELNAME=KAV\nFWNAME=a.fls"},
         "\\\\.\\COM10 0 CG;KAV;a.fls;BAUDRATE=x9600: not a plain number; BAUDRATE=0 is used"},
        {"ini", {"PORTTYPE=lpt1\nBAUDRATE=5\nMODELNAME=KOY\nFWNAME=a.fls"}, "LPT1 0 LG;KOY;a.fls;"},
        {"ini", {"PORTTYPE=USB001\nMODELNAME=KUZ\nFWNAME=a.fls"}, " 0 U;KUZ;a.fls;"},
        {"ini",
         {"PORTTYPE=net\nIP=Printer.local\nMODELNAME=KAV\nFWNAME=a.fls"},
         "Printer.local 9100 NG;KAV;a.fls;"},
        {"ini",
         {"PORTTYPE=NET\nIP=h\nTCPPORT=9200\nBAUDRATE=1\nMODELNAME=KAV\nFWNAME=a.fls"},
         "h 9200 NG;KAV;a.fls;"},
        {"ini",
         {"PORTTYPE=COM2\nBAUDRATE=9600\nMODELNAME=KAV\nFWNAME=a.fls"},
         "COM2 9600 CG;KAV;a.fls;"},
        // Without a file name the newest of the model, without a model the only firmware file.
        {"ini", {"PORTTYPE=COM1\nMODELNAME=KIX-2"}, "COM1 115200 CG;KIX-2;KIX-2_A_020111.fls;"},
        {"ini1", {"PORTTYPE=COM1"}, "COM1 115200 CG;KIX-2;KIX-2_B_010111.fls;"},
    });
}

// The run goes on as it always did, and says what it guessed, found or left out.
TEST(SettingsNotes, GuessesDiscoveryAndSkippedWordsAreSaid) {
    const std::string skipped =
        ": not an option of a silent run; skipped (the options are -m, -p, -b, -tcpport and -f)";
    check({
        {"cmd",
         {"--port", "NET", "-p", "NET", "-m", "-tcpport", "abc", "--verbose", "-m", "KAV", "-f",
          "a.fls"},
         "-m 0 NG;KAV;a.fls;--port" + skipped + " / NET" + skipped +
             " / -p NET -m: the address looks like an option; it is used as the printer's address"
             " / -tcpport abc: not a plain number; -tcpport 0 is used / --verbose" +
             skipped},
        // The INI file's numbers as its profile rules read them.
        {"ini",
         {"PORTTYPE=NET\nIP=h\nTCPPORT=91OO\nMODELNAME=KAV\nFWNAME=a.fls"},
         "h 91 NG;KAV;a.fls;TCPPORT=91OO: not a plain number; TCPPORT=91 is used"},
        // "-s" anywhere but first: the window is asked for, as before, and the user hears why.
        {"raw",
         {"-m", "KAV", "-s"},
         "interactive;;;-s must come first: without it in first place the command line asks "
         "for the window, and its options are not read"},
        {"raw", {"-m", "KAV"}, "interactive;;;"},
        // What firmware discovery puts in place of the command line (the only firmware file
        // over "-f", and USB unless a port was named; with a model but no file, the model's
        // newest, matched case by case), or why it cannot.
        {"cmd", {"-m", "KIX-2", "-p", "COM2"}, "COM2 115200 CG;KIX-2;KIX-2_A_020111.fls;"},
        {"cmd",
         {"-m", "kix-2", "-p", "COM2"},
         "interactive;kix-2;;-m kix-2 without -f: no firmware file of that model in /fw: the "
         "window is asked for instead of a silent run"},
        {"cmd1",
         {"-f", "a.fls"},
         " 0 U;KIX-2;KIX-2_B_010111.fls;-f a.fls without -m: KIX-2_B_010111.fls, the only "
         "firmware file here, is sent instead"},
        {"cmd",
         {"-m", "KAV"},
         "interactive;KAV;;-m KAV without -f: no firmware file of that model in /fw: the window "
         "is asked for instead of a silent run"},
        {"cmd",
         {},
         "interactive;;;no -m, and /fw does not hold exactly one firmware file to take the model "
         "from: the window is asked for instead of a silent run"},
    });
}

// -f and FWNAME: an absolute path in the system's own syntax is used as it is.
TEST(SettingsNotes, AbsolutePathsAreKeptAndRelativeOnesJoinTheStartDirectory) {
    // The system's separator, the name given, the path used.
    const std::tuple<char, std::string, std::string> cases[] = {
        {'/', "/srv/firmware/KAV_T90_060125.fls", "/srv/firmware/KAV_T90_060125.fls"},
        {'/', "fw/KAV.fls", "/start/fw/KAV.fls"},
        {'/', "C:\\fw\\KAV.fls", "/start/C:\\fw\\KAV.fls"}, // a Windows path is a name here
        {'\\', "C:\\firmware\\KAV.fls", "C:\\firmware\\KAV.fls"},
        {'\\', "c:/firmware/KAV.fls", "c:/firmware/KAV.fls"},
        {'\\', "\\\\server\\share\\KAV.fls", "\\\\server\\share\\KAV.fls"},
        {'\\', "C:KAV.fls", "/start\\C:KAV.fls"}, // relative to C:'s own directory: not absolute
        {'\\', "KAV.fls", "/start\\KAV.fls"},
    };
    for (const auto& [separator, name, path] : cases) {
        EXPECT_EQ(pathInDirectory("/start", separator, name), path) << name;
    }
}

} // namespace
