#include "app/SettingsReaders.h"

#include "app/FirmwareDiscovery.h"
#include "app/ModelFamily.h"
#include "app/PortValue.h"
#include "app/ProfileReader.h"
#include "app/TextRules.h"
#include "platform/DevicePaths.h"

#include <algorithm>

namespace {

constexpr int32_t kDefaultBaudRate = 115200;
constexpr int32_t kDefaultTcpPort = 9100;
constexpr const char* kSection = "NUV";

void trace(Reporter& reporter, const char* text) {
    reporter.report(1, LogLevel::Trace, text);
}

// What a port value may be on this system: device paths only where the system has them.
std::string portChoices(const char* net) {
    const bool devicePaths = devicePathKind("/dev/ttyS0") != DevicePathKind::None;
    return std::string("COM1-COM256, LPT1-LPT256, USB") + (devicePaths ? ", " : " or ") + net +
           (devicePaths ? " or a device path" : "");
}

RunMode refuse(StartupSettings& settings, std::string why) {
    settings.refusal = std::move(why);
    return RunMode::Invalid;
}

// "-tcpport abc" reads as 0 and "-b 96OO" as 96, as they always have; the user hears of it.
void noteNumber(StartupSettings& settings, const std::string& option, const std::string& value) {
    const std::string digits = std::to_string(decimalValue(value));
    if (value != digits) {
        settings.warnings.push_back(option + " " + value + ": not a plain number; " + option + " " +
                                    digits + " is used");
    }
}

// The settings of one port value of type COM, LPT or USB. Port-type flags are only ever set.
void applyPortValue(StartupSettings& settings, const PortValue& port) {
    if (!port.type) {
        return;
    }
    switch (*port.type) {
    case PortKind::Com:
        settings.portSettings.portName = port.portName;
        settings.portSettings.baudRate = kDefaultBaudRate;
        settings.portGiven = true;
        settings.portIsCom = true;
        break;
    case PortKind::Lpt:
        settings.portSettings.portName = port.portName;
        settings.portGiven = true;
        settings.portIsLpt = true;
        break;
    case PortKind::Usb:
        // A named device path is used as it is; otherwise USB discovery finds one later.
        settings.portGiven = !port.portName.empty();
        if (settings.portGiven) {
            settings.portSettings.portName = port.portName;
        }
        settings.portIsUsb = true;
        break;
    case PortKind::Ethernet:
        break;
    }
}

void applyNetAddress(StartupSettings& settings, const std::string& address) {
    settings.portSettings.portName = address;
    settings.portSettings.baudRate = kDefaultTcpPort;
    settings.portGiven = true;
    settings.portIsNet = true;
}

const char* portTrace(PortKind type) {
    switch (type) {
    case PortKind::Com:
        return "Select COM";
    case PortKind::Lpt:
        return "Select LPT";
    case PortKind::Usb:
        return "Select USB";
    case PortKind::Ethernet:
        return "Select NET";
    }
    return "";
}

} // namespace

RunMode parseCommandLine(StartupSettings& settings, const std::vector<std::string>& arguments,
                         FileSystem& files, Reporter& reporter) {
    if (arguments.size() < 2 || arguments[1] != "-s") {
        if (std::find(arguments.begin() + std::min<size_t>(arguments.size(), 2), arguments.end(),
                      "-s") != arguments.end()) {
            settings.warnings.push_back(
                "-s must come first: without it in first place the command line asks for the "
                "window, and its options are not read");
        }
        return RunMode::Interactive;
    }
    const size_t count = arguments.size();
    size_t i = 2;
    while (i < count) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < count;
        if (option == "-m" || option == "-f") {
            if (!hasValue) {
                return refuse(settings, option == "-m" ? "-m needs a model name after it"
                                                       : "-f needs a firmware file name after it");
            }
            if (option == "-m") {
                settings.modelName = arguments[i + 1];
                settings.modelGiven = true;
                trace(reporter, "Select Model");
            } else {
                settings.firmwareFileName = arguments[i + 1];
                settings.fileGiven = true;
                trace(reporter, "Select file");
            }
            i += 2;
        } else if (option == "-p") {
            if (!hasValue) {
                return refuse(settings, std::string("-p needs a port after it: ") +
                                            portChoices("NET <address>"));
            }
            const PortValue port = classifyPortValue(arguments[i + 1]);
            if (!port.type) {
                return refuse(settings, "-p " + arguments[i + 1] +
                                            ": not a port: " + portChoices("NET <address>"));
            }
            if (port.type == PortKind::Ethernet) {
                if (i + 2 >= count) {
                    return refuse(settings, "-p " + arguments[i + 1] +
                                                " needs the printer's address after it");
                }
                const std::string& address = arguments[i + 2];
                if (!address.empty() && address[0] == '-') {
                    settings.warnings.push_back("-p " + arguments[i + 1] + " " + address +
                                                ": the address looks like an option; it is "
                                                "used as the printer's address");
                }
                applyNetAddress(settings, address);
                i += 3;
            } else {
                applyPortValue(settings, port);
                i += 2;
            }
            trace(reporter, portTrace(*port.type));
        } else if (option == "-b" || option == "-tcpport") {
            const bool isBaud = option == "-b";
            if (!hasValue) {
                return refuse(settings, option + (isBaud ? " needs a baud rate after it"
                                                         : " needs a TCP port number after it"));
            }
            if (!(isBaud ? settings.portIsCom : settings.portIsNet)) {
                return refuse(settings, option + " " + arguments[i + 1] + ": " + option +
                                            (isBaud ? " follows a COM port (-p COM1 -b 9600)"
                                                    : " follows -p NET <address>"));
            }
            noteNumber(settings, option, arguments[i + 1]);
            settings.portSettings.baudRate = decimalValue(arguments[i + 1]);
            trace(reporter, isBaud ? "Select baudrate" : "Select tcpport");
            i += 2;
        } else {
            settings.warnings.push_back(
                option + ": not an option of a silent run; skipped (the options are -m, -p, -b, "
                         "-tcpport and -f)");
            ++i; // not an option: skipped
        }
    }

    if (!settings.modelGiven) {
        // Model and file both come from the directory's only firmware file, even over "-f".
        const std::string given = settings.fileGiven ? settings.firmwareFileName : "";
        if (!findSoleFirmware(settings, files)) {
            settings.warnings.push_back(
                "no -m, and " + settings.startDirectory +
                " does not hold exactly one firmware file to take the model from: the window is "
                "asked for instead of a silent run");
            return RunMode::Interactive;
        }
        if (!given.empty() && given != settings.firmwareFileName) {
            settings.warnings.push_back("-f " + given +
                                        " without -m: " + settings.firmwareFileName +
                                        ", the only firmware file here, is sent instead");
        }
        settings.modelGiven = true;
        settings.fileGiven = true;
    } else if (!settings.fileGiven) {
        if (!findNewestFirmware(settings, files)) {
            settings.warnings.push_back(
                "-m " + settings.modelName + " without -f: no firmware file of that model in " +
                settings.startDirectory + ": the window is asked for instead of a silent run");
            return RunMode::Interactive;
        }
        settings.fileGiven = true;
    }
    if (!settings.portGiven) {
        settings.portIsUsb = true; // USB unless another port was fixed
    }
    return RunMode::Silent;
}

RunMode loadIniSettings(StartupSettings& settings, const std::string& iniPath, FileSystem& files,
                        Reporter& reporter) {
    auto text = [&](const char* key) { return readProfileString(files, iniPath, kSection, key); };

    const PortValue port = classifyPortValue(text("PORTTYPE"));
    if (!port.type) {
        const std::string value = text("PORTTYPE");
        return refuse(settings,
                      value.empty()
                          ? std::string("qemnuv.ini has no PORTTYPE: ") + portChoices("NET")
                          : "PORTTYPE=" + value + ": not a port: " + portChoices("NET"));
    }
    switch (*port.type) {
    case PortKind::Com:
        applyPortValue(settings, port);
        trace(reporter, "Select COM in INI");
        break;
    case PortKind::Lpt:
        applyPortValue(settings, port);
        trace(reporter, "Select LPT in INI");
        break;
    case PortKind::Usb:
        applyPortValue(settings, port);
        trace(reporter, "Select USB in INI");
        break;
    case PortKind::Ethernet: {
        const std::string address = text("IP");
        if (address.empty()) {
            return refuse(settings, "PORTTYPE=" + text("PORTTYPE") +
                                        ": qemnuv.ini needs the printer's address in IP");
        }
        applyNetAddress(settings, address);
        trace(reporter, "Select NET in INI");
        break;
    }
    }

    // A number the profile rules read differently from what was written is said, as on the
    // command line.
    const auto noteIniNumber = [&](const char* key, int32_t value) {
        const std::string written = text(key);
        if (!written.empty() && written != std::to_string(value)) {
            settings.warnings.push_back(std::string(key) + "=" + written +
                                        ": not a plain number; " + key + "=" +
                                        std::to_string(value) + " is used");
        }
    };
    if (settings.portGiven) {
        if (settings.portIsCom) {
            settings.portSettings.baudRate =
                readProfileInt(files, iniPath, kSection, "BAUDRATE", kDefaultBaudRate);
            noteIniNumber("BAUDRATE", settings.portSettings.baudRate);
            trace(reporter, "Select baudrate in INI");
        }
        if (settings.portIsNet) {
            settings.portSettings.baudRate =
                readProfileInt(files, iniPath, kSection, "TCPPORT", kDefaultTcpPort);
            noteIniNumber("TCPPORT", settings.portSettings.baudRate);
        }
    }

    settings.modelName = text("MODELNAME");
    if (!settings.modelName.empty()) {
        if (!hasFamilyPrefix(settings.modelName)) {
            const std::string refused = "MODELNAME=" + settings.modelName;
            settings.modelName.clear();
            return refuse(settings, refused +
                                        ": qemnuv.ini takes only model names beginning with KAV, "
                                        "KEW, KIX, KOY or KUZ");
        }
        settings.modelGiven = true;
    }

    settings.firmwareFileName = text("FWNAME");
    if (!settings.firmwareFileName.empty()) {
        const std::string& name = settings.firmwareFileName;
        if (name.size() >= 3 && name.compare(name.size() - 3, 3, "fls") == 0 &&
            !settings.modelName.empty()) {
            settings.fileGiven = true;
            trace(reporter, "Select file");
            return RunMode::Silent;
        }
        const std::string refused = "FWNAME=" + name;
        const bool endsInFls = name.size() >= 3 && name.compare(name.size() - 3, 3, "fls") == 0;
        settings.firmwareFileName.clear();
        return refuse(settings, refused + (endsInFls ? ": qemnuv.ini needs MODELNAME with FWNAME"
                                                     : ": qemnuv.ini takes only file names ending "
                                                       "in fls (lower case)"));
    }

    if (settings.modelGiven) {
        if (!findNewestFirmware(settings, files)) {
            return refuse(settings, "MODELNAME=" + settings.modelName +
                                        " and no FWNAME: no firmware file of that model in " +
                                        settings.startDirectory);
        }
        settings.fileGiven = true;
        return RunMode::Silent;
    }
    if (!findSoleFirmware(settings, files)) {
        return refuse(settings, "qemnuv.ini names no MODELNAME or FWNAME, and " +
                                    settings.startDirectory +
                                    " does not hold exactly one firmware file to take them from");
    }
    settings.fileGiven = true;
    settings.modelGiven = true;
    return RunMode::Silent;
}
