#pragma once
// Start-up: decides the run from the INI file or the command line and fills its job. It only
// decides: the entry point runs what the plan says.
#include "app/DownloadJob.h"
#include "app/EventLog.h"
#include "app/RunMode.h"
#include "app/StartupPlan.h"
#include "app/StartupSettings.h"
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
    EventLog& log;
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

    // The whole start-up: reads the settings and decides the run. Logs "Invalid parameters" or
    // the missing USB printer; runs nothing.
    StartupPlan plan();

    RunMode parseCommandLine();
    RunMode loadIniSettings(const std::string& iniPath);

  private:
    RunMode readSettings();

    FirmwareAppServices services_;
    bool settingsFromIni_ = false;
};

// The message box text when the socket layer did not start ("Socket Init Error! : 10091, 0").
std::string socketInitErrorText(const SocketLayerStatus& status);
