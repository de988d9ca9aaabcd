#include "app/SettingsReaders.h"

#include "app/FirmwareDiscovery.h"
#include "app/ModelTable.h"
#include "app/PortValue.h"
#include "app/ProfileReader.h"
#include "app/TextRules.h"

namespace {

constexpr int32_t kDefaultBaudRate = 115200;
constexpr int32_t kDefaultTcpPort = 9100;
constexpr const char* kSection = "NUV";

void trace(Reporter& reporter, const char* text) {
    reporter.report(1, LogLevel::Trace, text);
}

// The settings of one port value of type COM, LPT or USB. Port-type flags are only ever set.
void applyPortValue(StartupSettings& settings, const PortValue& port) {
    switch (port.type) {
    case PortType::Com:
        settings.portSettings.portName = port.portName;
        settings.portSettings.baudRate = kDefaultBaudRate;
        settings.portGiven = true;
        settings.portIsCom = true;
        break;
    case PortType::Lpt:
        settings.portSettings.portName = port.portName;
        settings.portGiven = true;
        settings.portIsLpt = true;
        break;
    case PortType::Usb:
        // A named device path is used as it is; otherwise USB discovery finds one later.
        settings.portGiven = !port.portName.empty();
        if (settings.portGiven) {
            settings.portSettings.portName = port.portName;
        }
        settings.portIsUsb = true;
        break;
    case PortType::Net:
    case PortType::None:
        break;
    }
}

void applyNetAddress(StartupSettings& settings, const std::string& address) {
    settings.portSettings.portName = address;
    settings.portSettings.baudRate = kDefaultTcpPort;
    settings.portGiven = true;
    settings.portIsNet = true;
}

const char* portTrace(PortType type) {
    switch (type) {
    case PortType::Com:
        return "Select COM";
    case PortType::Lpt:
        return "Select LPT";
    case PortType::Usb:
        return "Select USB";
    case PortType::Net:
        return "Select NET";
    case PortType::None:
        break;
    }
    return "";
}

} // namespace

RunMode parseCommandLine(StartupSettings& settings, const std::vector<std::string>& arguments,
                         FileSystem& files, Reporter& reporter) {
    if (arguments.size() < 2 || arguments[1] != "-s") {
        return RunMode::Interactive;
    }
    const size_t count = arguments.size();
    size_t i = 2;
    while (i < count) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < count;
        if (option == "-m" || option == "-f") {
            if (!hasValue) {
                return RunMode::Invalid;
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
                return RunMode::Invalid;
            }
            const PortValue port = classifyPortValue(arguments[i + 1]);
            if (port.type == PortType::None) {
                return RunMode::Invalid;
            }
            if (port.type == PortType::Net) {
                if (i + 2 >= count) {
                    return RunMode::Invalid;
                }
                applyNetAddress(settings, arguments[i + 2]);
                i += 3;
            } else {
                applyPortValue(settings, port);
                i += 2;
            }
            trace(reporter, portTrace(port.type));
        } else if (option == "-b" || option == "-tcpport") {
            const bool isBaud = option == "-b";
            if (!hasValue || !(isBaud ? settings.portIsCom : settings.portIsNet)) {
                return RunMode::Invalid;
            }
            settings.portSettings.baudRate = decimalValue(arguments[i + 1]);
            trace(reporter, isBaud ? "Select baudrate" : "Select tcpport");
            i += 2;
        } else {
            ++i; // not an option: skipped
        }
    }

    if (!settings.modelGiven) {
        // Model and file both come from the directory's only firmware file, even over "-f".
        if (!findSoleFirmware(settings, files)) {
            return RunMode::Interactive;
        }
        settings.modelGiven = true;
        settings.fileGiven = true;
    } else if (!settings.fileGiven) {
        if (!findNewestFirmware(settings, files)) {
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
    switch (port.type) {
    case PortType::Com:
        applyPortValue(settings, port);
        trace(reporter, "Select COM in INI");
        break;
    case PortType::Lpt:
        applyPortValue(settings, port);
        trace(reporter, "Select LPT in INI");
        break;
    case PortType::Usb:
        applyPortValue(settings, port);
        trace(reporter, "Select USB in INI");
        break;
    case PortType::Net: {
        const std::string address = text("IP");
        if (address.empty()) {
            return RunMode::Invalid;
        }
        applyNetAddress(settings, address);
        trace(reporter, "Select NET in INI");
        break;
    }
    case PortType::None:
        return RunMode::Invalid;
    }

    if (settings.portGiven) {
        if (settings.portIsCom) {
            settings.portSettings.baudRate =
                readProfileInt(files, iniPath, kSection, "BAUDRATE", kDefaultBaudRate);
            trace(reporter, "Select baudrate in INI");
        }
        if (settings.portIsNet) {
            settings.portSettings.baudRate =
                readProfileInt(files, iniPath, kSection, "TCPPORT", kDefaultTcpPort);
        }
    }

    settings.modelName = text("MODELNAME");
    if (!settings.modelName.empty()) {
        if (!hasFamilyPrefix(settings.modelName)) {
            settings.modelName.clear();
            return RunMode::Invalid;
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
        settings.firmwareFileName.clear();
        return RunMode::Invalid;
    }

    if (settings.modelGiven) {
        if (!findNewestFirmware(settings, files)) {
            return RunMode::Invalid;
        }
        settings.fileGiven = true;
        return RunMode::Silent;
    }
    if (!findSoleFirmware(settings, files)) {
        return RunMode::Invalid;
    }
    settings.fileGiven = true;
    settings.modelGiven = true;
    return RunMode::Silent;
}
