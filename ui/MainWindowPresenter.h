#pragma once
// The interactive steps of the main window: configure, choose a file, download. It keeps the
// button and help-line states and fills the job fields the download engine reads.
#include "ui/MainWindowRules.h"
#include "ui/MainWindowSurface.h"
#include "ui/PortConfigPresenter.h"
#include "ui/SelectPrinterPresenter.h"

#include <cstdint>
#include <functional>
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

    // The exit status of a window whose model choice was cancelled.
    static constexpr int kModelChoiceCancelledStatus = 1;

    // Help line and the initial button states.
    void initialize();
    // The model choice the window opens with: the choice dialog is shown by showDialog (true
    // when a model was chosen). False when it was cancelled: the window then ends at once.
    bool chooseModel(const std::function<bool(SelectPrinterPresenter&)>& showDialog);
    // After the model was chosen: its picture and, for a known model, the default port.
    void applyModelChoice(const std::string& name, int32_t code);
    // The configuration round trip: the dialog opens with the job's port and model; accepted
    // (showDialog returns true), its values become the job's.
    void configure(PortConfigPresenter& dialog, const std::function<bool()>& showDialog);
    // What the configuration dialog opens with.
    PortConfigValues configurationInput() const;
    void configurationAccepted(const PortConfigValues& values);
    std::string firmwareFilter() const;
    void firmwareChosen(const std::string& path);

  private:
    InteractiveJob job_;
    MainWindowSurface& surface_;
};
