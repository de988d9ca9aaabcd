#include "ui/MainWindowPresenter.h"

#include "ports/PortSettings.h"
#include "res/resource.h"

MainWindowPresenter::MainWindowPresenter(InteractiveJob job, MainWindowSurface& surface)
    : job_(job), surface_(surface) {}

void MainWindowPresenter::initialize() {
    surface_.setHelpText("HELP : Set Communication Configuration. ");
    surface_.enableControl(IDC_MAIN_DOWNLOAD, false);
    surface_.enableControl(IDC_MAIN_SELECT_FW, false);
}

bool MainWindowPresenter::chooseModel(
    const std::function<bool(SelectPrinterPresenter&)>& showDialog) {
    SelectPrinterPresenter choice(modelTableChoices());
    if (!showDialog(choice)) {
        return false;
    }
    applyModelChoice(choice.chosenModelName, choice.chosenModelCode);
    surface_.setBannerText(bannerAfterModelChoice(surface_.bannerText()));
    return true;
}

void MainWindowPresenter::configure(PortConfigPresenter& dialog,
                                    const std::function<bool()>& showDialog) {
    dialog.modelCode = job_.modelCode;
    dialog.setValues(configurationInput());
    if (showDialog()) {
        configurationAccepted(dialog.values());
    }
}

void MainWindowPresenter::applyModelChoice(const std::string& name, int32_t code) {
    job_.modelName = name;
    job_.modelCode = code;
    const int32_t picture = modelPictureFor(code);
    if (picture != 0) {
        surface_.showModelPicture(picture);
        job_.portSettings.portName = "COM1";
    }
}

PortConfigValues MainWindowPresenter::configurationInput() const {
    return configValuesFrom(job_.portSettings);
}

void MainWindowPresenter::configurationAccepted(const PortConfigValues& values) {
    applyConfigValues(job_.portSettings, values);
    // Download stays as it was: a file must be chosen once before it is offered.
    surface_.enableControl(IDC_MAIN_SELECT_FW, true);
    surface_.setHelpText("HELP : Select Firmware File.");
}

std::string MainWindowPresenter::firmwareFilter() const {
    return firmwareFileFilter(job_.modelCode);
}

void MainWindowPresenter::firmwareChosen(const std::string& path) {
    job_.firmwarePath = path;
    surface_.enableControl(IDC_MAIN_DOWNLOAD, true);
    surface_.setHelpText("HELP : Ready firmware download.");
}
