#include "app/FirmwareApp.h"

#include "app/ExitStatus.h"
#include "app/FirmwareDiscovery.h"
#include "app/SettingsReaders.h"
#include "app/TextRules.h"
#include "models/ModelTable.h"

#include <cstdio>

FirmwareApp::FirmwareApp(FirmwareAppServices services) : services_(std::move(services)) {}

RunMode FirmwareApp::parseCommandLine() {
    return ::parseCommandLine(*this, services_.arguments, services_.files, services_.log);
}

RunMode FirmwareApp::loadIniSettings(const std::string& iniPath) {
    return ::loadIniSettings(*this, iniPath, services_.files, services_.log);
}

RunMode FirmwareApp::readSettings() {
    const std::string iniPath = joinPath(startDirectory, pathSeparator(), kIniFileName);
    try {
        // The INI file, when there is one, decides alone: the command line is not looked at.
        settingsFromIni_ = fileExists(services_.files, iniPath);
        if (settingsFromIni_) {
            // A root run takes its settings only from a file no other user could have put there.
            if (const std::string distrust = services_.files.distrustReason(iniPath);
                !distrust.empty()) {
                refusal = std::string(kIniFileName) + " is not used by a run as root: " + distrust;
                return RunMode::Invalid;
            }
            return loadIniSettings(iniPath);
        }
    } catch (const FileError&) {
        // It is there but cannot be read: the user meant a silent run we cannot perform.
        settingsFromIni_ = true;
        refusal = iniPath + " exists but cannot be read";
        return RunMode::Invalid;
    }
    return parseCommandLine();
}

std::string socketInitErrorText(const SocketLayerStatus& status) {
    char text[80];
    std::snprintf(text, sizeof text, "Socket Init Error! : %d, %d",
                  static_cast<int>(status.socketError), static_cast<int>(status.systemError));
    return text;
}

StartupPlan FirmwareApp::plan() {
    startDirectory = services_.environment.currentDirectory();
    modelGiven = portGiven = portIsCom = portIsLpt = portIsUsb = portIsNet = false;
    modelName.clear();
    firmwareFileName.clear();
    refusal.clear();
    warnings.clear();

    StartupPlan plan;
    RunMode mode = readSettings();
    plan.settingsFromIni = settingsFromIni_;
    if (mode == RunMode::Silent) {
        // Nor does it send a file another user could have chosen for it.
        const std::string firmware =
            pathInDirectory(startDirectory, pathSeparator(), firmwareFileName);
        if (const std::string distrust = services_.files.distrustReason(firmware);
            !distrust.empty()) {
            refusal = "the firmware file " + firmwareFileName +
                      " is not used by a run as root: " + distrust;
            mode = RunMode::Invalid;
        }
    }
    DownloadJob& job = plan.job;
    switch (mode) {
    case RunMode::Silent: {
        modelCode = modelCodeFor(modelName);
        if (!isModelTableName(modelName)) {
            warnings.push_back("model \"" + modelName +
                               "\" is none of the models known by name (T90 Standard, T90 "
                               "Prime): it is sent with the rules of model " +
                               std::to_string(modelCode) + " (T90 Standard)");
        }
        job.modelCode = modelCode;
        job.modelName = modelName;
        job.firmwarePath = pathInDirectory(startDirectory, pathSeparator(), firmwareFileName);
        plan.run = PlannedRun::Silent;
        if (portIsUsb && !portGiven) {
            const std::string path =
                services_.findUsbPrinterPort ? services_.findUsbPrinterPort(modelCode) : "";
            if (path.empty()) {
                services_.log.report(0, LogLevel::Notice,
                                     "Not connected Printer using usb<" + modelName + ">");
                plan.run = PlannedRun::NoUsbPrinter;
            } else {
                portGiven = true;
                portSettings.portName = path;
            }
        }
        job.silentRun = 1;
        fillSerialDefaults();
        job.portSettings = portSettings;
        if (plan.run == PlannedRun::Silent) {
            services_.log.report(1, LogLevel::Trace, "In silent mode");
        }
        break;
    }
    case RunMode::Invalid:
        services_.log.report(1, LogLevel::Notice, "Invalid parameters");
        job.quitAtStart = 1;
        job.refusal = refusal;
        plan.run = PlannedRun::Invalid;
        break;
    case RunMode::Interactive:
        plan.run = PlannedRun::Interactive;
        break;
    }
    job.warnings = warnings;
    return plan;
}
