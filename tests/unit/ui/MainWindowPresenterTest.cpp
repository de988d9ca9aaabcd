#include "ui/MainWindowPresenter.h"
#include "ports/PortSettings.h"
#include "support/UiFakes.h"

#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    void expectStep(bool selectFirmware, bool download, const char* help) {
        EXPECT_EQ(window.enabled[IDC_MAIN_SELECT_FW], selectFirmware);
        EXPECT_EQ(window.enabled[IDC_MAIN_DOWNLOAD], download);
        EXPECT_EQ(window.helpText, help);
    }

    int32_t modelCode = 0;
    std::string modelName;
    std::string firmwarePath;
    PortSettings portSettings;
    FakeMainWindow window;
    MainWindowPresenter presenter{{modelCode, modelName, firmwarePath, portSettings}, window};
};

TEST_F(MainWindowTest, WalksTheStepsConfigureSelectDownload) {
    presenter.initialize();
    expectStep(false, false, "HELP : Set Communication Configuration. ");
    presenter.applyModelChoice("T90 Prime", 1112);
    EXPECT_EQ(modelName, "T90 Prime");

    presenter.configurationAccepted(presenter.configurationInput());
    expectStep(true, false, "HELP : Select Firmware File.");
    presenter.firmwareChosen("C:\\fw\\T90 Prime_010125.fls");
    expectStep(true, true, "HELP : Ready firmware download.");
    EXPECT_EQ(firmwarePath, "C:\\fw\\T90 Prime_010125.fls");
    // Configuring again after a file was chosen keeps Download available.
    presenter.configurationAccepted(presenter.configurationInput());
    expectStep(true, true, "HELP : Select Firmware File.");
}

TEST_F(MainWindowTest, ConfigurationOpensOnThePortAndAcceptingResetsWhatItDoesNotShow) {
    // name, baud rate, data bits, stop bits, parity, handshake, timeouts, buffer sizes,
    // reserved1..5
    portSettings = {"COM9", 1, 2, 3, 4, 5, {1, 2, 3, 4, 5}, 6, 7, 8, 9, 9, 9, 9};
    EXPECT_EQ(presenter.configurationInput(), (PortConfigValues{"COM9", 1, 2, 3, 4, 5, 8}));
    presenter.configurationAccepted({"COM2", 115200, 8, 0, 2, 1, 42});
    const PortSettings expected{"COM2", 115200, 8,  0, 2,    1, {10, 10, 10, 0, 0},
                                8192,   4096,   42, 0, 3000, 0, 0};
    EXPECT_EQ(portSettings, expected);
}

// The window opens on the model choice: cancelled, nothing changes and the window ends; chosen,
// the model is the job's and the banner moves one space right. A model with a picture shows it
// and gets COM1 as its port; one without leaves picture and port alone.
TEST_F(MainWindowTest, TheModelChoiceOpensTheWindowOrEndsIt) {
    // model name, code, picture, port, banner
    const auto seen = [&] {
        return modelName + "|" + std::to_string(modelCode) + "|" + std::to_string(window.picture) +
               "|" + portSettings.portName + "|" + window.banner;
    };
    EXPECT_FALSE(presenter.chooseModel([&](SelectPrinterPresenter&) { return false; }));
    EXPECT_EQ(seen(), "|0|0||Firmware Downloader");
    EXPECT_TRUE(presenter.chooseModel([](SelectPrinterPresenter& choice) {
        choice.onSelectionChanged("T90 Prime");
        return true;
    }));
    EXPECT_EQ(seen(), "T90 Prime|1112|174|COM1| Firmware Downloader");
    portSettings.portName = "LPT2";
    presenter.applyModelChoice("Any", 351);
    EXPECT_EQ(seen(), "Any|351|174|LPT2| Firmware Downloader");
}

// The configuration dialog opens with the job's port for its model; only an accepted one
// changes the job.
TEST_F(MainWindowTest, ConfigurationRoundTripChangesTheJobOnlyWhenAccepted) {
    modelCode = 691;
    portSettings.portName = "COM4";
    FakeConfigDialog dialog;
    presenter.configure(dialog.presenter, [&] {
        EXPECT_EQ(dialog.presenter.modelCode, 691);
        EXPECT_EQ(dialog.presenter.portName, "COM4");
        dialog.presenter.portName = "COM7";
        return false;
    });
    EXPECT_EQ(portSettings.portName, "COM4");
    EXPECT_EQ(window.helpText, "");

    presenter.configure(dialog.presenter, [&] {
        dialog.presenter.portName = "COM7";
        return true;
    });
    EXPECT_EQ(portSettings.portName, "COM7");
    EXPECT_EQ(window.helpText, "HELP : Select Firmware File.");
}

TEST(FirmwareFilter, DependsOnModelCode) {
    EXPECT_EQ(firmwareFileFilter(99), "Firmware File(*.fls)|*.fls||");
    EXPECT_EQ(firmwareFileFilter(101), "Firmware File(*.hex)|*.hex||");
    EXPECT_EQ(firmwareFileFilter(1100), "Firmware File(*.fls)|*.fls|Firmware File(*.bin)|*.bin||");
}

} // namespace
