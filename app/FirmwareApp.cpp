#include "app/FirmwareApp.h"

#include "app/ExitStatus.h"
#include "app/FirmwareDiscovery.h"
#include "app/ModelTable.h"
#include "app/SettingsReaders.h"
#include "app/TextRules.h"

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
        if (fileExists(services_.files, iniPath)) {
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
        refusal = iniPath + " exists but cannot be read";
        return RunMode::Invalid;
    }
    return parseCommandLine();
}

bool FirmwareApp::initInstance(MainWindowRunner& runner) {
    const SocketLayerStatus sockets = services_.startSocketLayer();
    if (!sockets.started) {
        char text[80];
        std::snprintf(text, sizeof text, "Socket Init Error! : %d, %d",
                      static_cast<int>(sockets.socketError), static_cast<int>(sockets.systemError));
        services_.desktop.showMessageBox(text, kTitle);
    }

    startDirectory = services_.environment.currentDirectory();
    modelGiven = portGiven = portIsCom = portIsLpt = portIsUsb = portIsNet = false;
    modelName.clear();
    firmwareFileName.clear();
    refusal.clear();
    warnings.clear();

    runMode = readSettings();
    if (runMode == RunMode::Silent) {
        // Nor does it send a file another user could have chosen for it.
        const std::string firmware =
            pathInDirectory(startDirectory, pathSeparator(), firmwareFileName);
        if (const std::string distrust = services_.files.distrustReason(firmware);
            !distrust.empty()) {
            refusal = "the firmware file " + firmwareFileName +
                      " is not used by a run as root: " + distrust;
            runMode = RunMode::Invalid;
        }
    }
    switch (runMode) {
    case RunMode::Silent: {
        modelCode = modelCodeFor(modelName);
        if (!isModelTableName(modelName)) {
            warnings.push_back("model \"" + modelName +
                               "\" is none of the models known by name (T90 Standard, T90 "
                               "Prime): it is sent with the rules of model " +
                               std::to_string(modelCode) + " (T90 Standard)");
        }
        if (portIsUsb && !portGiven) {
            const std::string path =
                services_.findUsbPrinterPort ? services_.findUsbPrinterPort(modelCode) : "";
            if (path.empty()) {
                services_.log.report(0, LogLevel::Notice,
                                     "Not connected Printer using usb<" + modelName + ">");
                job.warnings = warnings;
                exitStatus = kExitNothingDownloaded;
                return false; // no main window: nothing to download to
            }
            portGiven = true;
            portSettings.portName = path;
        }
        job.silentRun = 1;
        job.modelCode = modelCode;
        job.modelName = modelName;
        job.firmwarePath = pathInDirectory(startDirectory, pathSeparator(), firmwareFileName);
        fillSerialDefaults();
        job.portSettings = portSettings;
        services_.log.report(1, LogLevel::Trace, "In silent mode");
        break;
    }
    case RunMode::Invalid:
        services_.log.report(1, LogLevel::Notice, "Invalid parameters");
        job.silentRun = 0;
        job.quitAtStart = 1;
        job.refusal = refusal;
        exitStatus = kExitInvalidParameters;
        break;
    case RunMode::Interactive:
        job.silentRun = 0;
        break;
    }
    job.warnings = warnings;
    runner.run(job);
    return false;
}

int FirmwareApp::exitInstance() {
    services_.log.flush();
    return exitStatus;
}
