#include "app/UsageText.h"

#include "app/ModelTable.h"

#include <cstdio>

namespace {

constexpr const char* kUsage =
    R"(Usage: mirelith -s [-p PORT] [-m MODEL] [-f FILE] [-b BAUD] [-tcpport PORT]
                   [-q] [--result FILE]
       mirelith --list | --help | --version | -V

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
  --list           show serial and parallel ports, USB printers and their print queues,
                   whether you may open each, and the model names
  -h, --help       show this help
  -V, --version    show the version and build

Ports (-p, PORTTYPE):
  COMn, \\.\COMn   serial port n: /dev/ttyS(n-1), or the device named by MIRELITH_COMn
  LPTn             parallel port n: /dev/lp(n-1), or the device named by MIRELITH_LPTn
  USB              the first attached USB printer (usblp, /dev/usb/lpN) of the model
  NET ADDRESS      TCP to ADDRESS, port 9100 or -tcpport (PORTTYPE=NET takes IP and TCPPORT)
  /dev/tty*        a serial device such as /dev/ttyUSB0 or /dev/ttyACM0 (serial defaults)
  /dev/lp*         a parallel printer device
  /dev/usb/lp*     a USB printer device

)";

constexpr const char* kRest = R"(
qemnuv.ini, section [NUV]:
  PORTTYPE=        port as for -p (required)
  IP=              printer address, when PORTTYPE=NET
  BAUDRATE=        serial baud rate (default 115200)
  TCPPORT=         TCP port (default 9100)
  MODELNAME=       model name beginning KAV, KEW, KIX, KOY or KUZ
  FWNAME=          firmware file ending in fls, absolute or in the current directory
                   (needs MODELNAME)

Environment:
  MIRELITH_COMn, MIRELITH_LPTn
                   the device for port COMn or LPTn (a USB serial adapter, a pty)
  MIRELITH_SYSFS_ROOT, MIRELITH_DEV_ROOT
                   where USB printers are looked for (default /sys and /dev)
  CUPS_SERVER      the CUPS server whose queues on the printer are paused meanwhile
  XDG_STATE_HOME   an installed program logs to $XDG_STATE_HOME/mirelith/
                   (default ~/.local/state/mirelith/; root: /var/log/mirelith/)

Exit status:
  0  the image was sent whole
  1  invalid parameters (also a qemnuv.ini that cannot be read)
  2  the download failed or nothing was downloaded
  3  interrupted by SIGINT, SIGTERM or SIGHUP (print queues restored first)
  4  an interactive start with no display for the window (no DISPLAY or
     WAYLAND_DISPLAY), or in a build without a window

)";

} // namespace

std::string helpText(const std::string& logPath) {
    std::string text = kUsage;
    text += "Models that -m chooses by name, and their codes:\n";
    for (const ModelEntry& entry : ModelTable::entries) {
        char line[80];
        std::snprintf(line, sizeof line, "  %-16s %d\n",
                      ("\"" + std::string(entry.modelName) + "\"").c_str(),
                      static_cast<int>(entry.modelCode));
        text += line;
    }
    char fallback[200];
    std::snprintf(fallback, sizeof fallback,
                  "  any other name (KAV..., and every name from qemnuv.ini or a file name)\n"
                  "  downloads with the rules of code %d\n",
                  static_cast<int>(ModelTable::entries[0].modelCode));
    text += fallback;
    text += kRest;
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
