#include "app/UsageText.h"

#include "models/ModelTable.h"
#include "platform/UsageSections.h"

#include <cstdio>

namespace {

constexpr const char* kUsage =
    R"(Usage: mirelith -s [-p PORT] [-m MODEL] [-f FILE] [-b BAUD] [-tcpport PORT]
                   [-q] [--result FILE] [--verify [--expect-version TEXT]
                   [--verify-timeout SECONDS]]
       mirelith --identify -p PORT [-b BAUD] [-tcpport PORT] [-m MODEL] [--result FILE]
       )";
// then the system's other forms of the command

constexpr const char* kOptions = R"(

Writes new firmware into a printer and exits. The settings come from qemnuv.ini in the
current directory when that file exists (the command line is then ignored), otherwise from a
command line that begins with -s. With neither, the interactive window opens in a build
that has one.

Options:
  -s               download once with the settings that follow (must come first)
  -p PORT          the printer's port (see Ports; default USB)
  -m MODEL         model name (default: taken from the only firmware file here)
  -f FILE          firmware file: an absolute path, or a name in the current directory
                   (default: the model's newest in the current directory,
                   by the MMDDYY date before .fls in MODEL_..._MMDDYY.fls)
  -b BAUD          serial baud rate, after a serial -p (default 115200)
  -tcpport PORT    TCP port, after -p NET (default 9100)
  -q               print nothing on the terminal but failures
  --result FILE    write the run's outcome to FILE as one JSON object (also when the
                   settings are invalid)
  --verify         after the transfer, wait for the printer to restart and ask its
                   firmware version (before and after are said and written to --result)
  --expect-version TEXT
                   the version the printer must then report (implies --verify)
  --verify-timeout SECONDS
                   how long the printer may take to come back (default 180)
  --identify       ask the printer on -p for its firmware version, maker, model and
                   serial number, one line each; nothing is sent to it besides
)";
// then the system's "--list", when it has one

constexpr const char* kHelpVersion = R"(  -h, --help       show this help
  -V, --version    show the version and build

)";
// then the system's port names

constexpr const char* kRest = R"(
qemnuv.ini, section [NUV]:
  PORTTYPE=        port as for -p (required)
  IP=              printer address, when PORTTYPE=NET
  BAUDRATE=        serial baud rate (default 115200)
  TCPPORT=         TCP port (default 9100)
  MODELNAME=       model name beginning KAV, KEW, KIX, KOY or KUZ
  FWNAME=          firmware file ending in fls, absolute or in the current directory
                   (needs MODELNAME)

)";
// then the system's environment (or other) notes

constexpr const char* kExitStatus = R"(
Exit status:
  0  the image was sent whole
  1  invalid parameters (also a qemnuv.ini that cannot be read)
  2  the download failed or nothing was downloaded
)";
// then the system's interruption, when it has one

constexpr const char* kExitStatusRest =
    R"(  4  an interactive start with no display for the window (no DISPLAY or
     WAYLAND_DISPLAY), or in a build without a window
  5  --verify: the printer did not report the new (or the expected) firmware in time;
     --identify: the printer was reached but did not say its version

)";

} // namespace

std::string helpText(const std::string& logPath) {
    const UsageSections& system = usageSections();
    std::string text = kUsage;
    text += system.otherForms;
    text += kOptions;
    text += system.listOption;
    text += kHelpVersion;
    text += system.ports;
    text += "\n";
    text += "Models that -m chooses by name, and their codes:\n";
    for (const ModelRow& entry : namedModelRows()) {
        std::string quoted(1, '"');
        quoted.append(entry.name).push_back('"');
        char line[80];
        std::snprintf(line, sizeof line, "  %-16s %d\n", quoted.c_str(),
                      static_cast<int>(entry.code));
        text += line;
    }
    char fallback[200];
    std::snprintf(fallback, sizeof fallback,
                  "  any other name (KAV..., and every name from qemnuv.ini or a file name)\n"
                  "  downloads with the rules of code %d\n",
                  static_cast<int>(namedModelRows().front().code));
    text += fallback;
    text += kRest;
    text += system.systemNotes;
    text += kExitStatus;
    text += system.interrupted;
    text += kExitStatusRest;
    text += "Log: failures of a silent run are appended to\n  " + logPath + "\n";
    return text;
}

std::string versionText(const BuildInfo& build) {
    std::string text = "mirelith " + build.version + "\n";
    text += "built with " + build.compiler;
    if (!build.qtVersion.empty()) {
        text += ", Qt " + build.qtVersion;
    }
    text += "\n";
    return text;
}
