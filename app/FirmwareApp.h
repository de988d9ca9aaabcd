#pragma once
// The application object: decides the run mode from the INI file or the command line, fills
// the DownloadJob and hands it to the main window.
#include "app/DownloadJob.h"
#include "app/EventLog.h"
#include "app/MainWindowRunner.h"
#include "app/RunMode.h"
#include "app/StartupSettings.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/ProcessEnvironment.h"
#include "platform/SocketLayer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct FirmwareAppServices {
    ProcessEnvironment& environment;
    FileSystem& files;
    Desktop& desktop; // the application's own message boxes (not through the event log)
    EventLog& log;
    // Starts the socket layer; called once, first thing in initInstance.
    std::function<SocketLayerStatus()> startSocketLayer;
    // The device path of the first attached USB printer of a model; empty when there is none.
    std::function<std::string(int32_t modelCode)> findUsbPrinterPort;
    // The process arguments, the program first.
    std::vector<std::string> arguments;
};

class FirmwareApp : public StartupSettings {
  public:
    static constexpr const char* kIniFileName = "qemnuv.ini";
    static constexpr const char* kTitle = "Mirelith";

    explicit FirmwareApp(FirmwareAppServices services);

    // The whole start-up, including the run of the main window. Always false: there is no
    // message loop of the application's own after it.
    bool initInstance(MainWindowRunner& runner);
    // Writes the event log; returns the exit status.
    int exitInstance();

    RunMode parseCommandLine();
    RunMode loadIniSettings(const std::string& iniPath);

    RunMode runMode = RunMode::Interactive;
    DownloadJob job;
    int exitStatus = 0;

  private:
    RunMode readSettings();

    FirmwareAppServices services_;
};
