#pragma once
// The interactive steps of the main window: configure, choose a file, download. It keeps the
// button and help-line states and fills the job fields the download engine reads.
#include "ui/MainWindowRules.h"
#include "ui/MainWindowSurface.h"

#include <cstdint>
#include <string>

struct PortSettings;

// The fields of the main window that the interactive steps change.
struct InteractiveJob {
    int32_t& modelCode;
    std::string& modelName;
    std::string& firmwarePath;
    PortSettings& portSettings;
};

class MainWindowPresenter {
  public:
    MainWindowPresenter(InteractiveJob job, MainWindowSurface& surface);

    // Help line and the initial button states.
    void initialize();
    // After the model was chosen: its picture and, for a known model, the default port.
    void applyModelChoice(const std::string& name, int32_t code);
    // What the configuration dialog opens with.
    PortConfigValues configurationInput() const;
    void configurationAccepted(const PortConfigValues& values);
    std::string firmwareFilter() const;
    void firmwareChosen(const std::string& path);

  private:
    InteractiveJob job_;
    MainWindowSurface& surface_;
};
