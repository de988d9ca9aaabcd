#include "ui/MainWindowPresenter.h"
#include "ports/PortSettings.h"
#include "res/resource.h"
#include "support/UiFakes.h"

#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    int32_t modelCode = 0;
    std::string modelName;
    std::string firmwarePath;
    PortSettings portSettings;
    FakeMainWindow window;
    MainWindowPresenter presenter{{modelCode, modelName, firmwarePath, portSettings}, window};

    void expectButtons(bool configuration, bool selectFw, bool download, bool exit) {
        EXPECT_EQ(window.isEnabled(IDC_MAIN_CONFIGURATION), configuration);
        EXPECT_EQ(window.isEnabled(IDC_MAIN_SELECT_FW), selectFw);
        EXPECT_EQ(window.isEnabled(IDC_MAIN_DOWNLOAD), download);
        EXPECT_EQ(window.isEnabled(IDC_MAIN_EXIT), exit);
    }
};

TEST_F(MainWindowTest, WalksTheStepsConfigureSelectDownload) {
    presenter.initialize();
    expectButtons(true, false, false, true);
    EXPECT_EQ(window.helpText, "HELP : Set Communication Configuration. ");

    presenter.applyModelChoice("T90 Prime", 1112);
    EXPECT_EQ(modelCode, 1112);
    EXPECT_EQ(modelName, "T90 Prime");
    EXPECT_EQ(window.picture, IDB_MODEL_174);
    EXPECT_EQ(portSettings.portName, "COM1");

    PortConfigValues chosen = presenter.configurationInput();
    EXPECT_EQ(chosen.portName, "COM1");
    chosen.portName = "10.0.0.5";
    chosen.baudRate = 9100;
    presenter.configurationAccepted(chosen);
    expectButtons(true, true, false, true);
    EXPECT_EQ(window.helpText, "HELP : Select Firmware File.");

    presenter.firmwareChosen("C:\\fw\\T90 Prime_010125.fls");
    expectButtons(true, true, true, true);
    EXPECT_EQ(firmwarePath, "C:\\fw\\T90 Prime_010125.fls");
    EXPECT_EQ(window.helpText, "HELP : Ready firmware download.");

    // Configuring again after a file was chosen keeps Download available.
    presenter.configurationAccepted(chosen);
    expectButtons(true, true, true, true);
}

TEST_F(MainWindowTest, AcceptedConfigurationResetsTheFieldsTheDialogDoesNotShow) {
    portSettings.timeouts = {1, 2, 3, 4, 5};
    portSettings.readBufferSize = 1;
    portSettings.spareBufferSize = 2;
    portSettings.reserved1 = 9;
    portSettings.reserved2 = 9;
    portSettings.reserved3 = 9;
    portSettings.reserved4 = 9;
    portSettings.reserved5 = 9;
    portSettings.parity = 1;
    PortConfigValues values = presenter.configurationInput();
    EXPECT_EQ(values.reserved1, 9);
    EXPECT_EQ(values.parity, 1); // the dialog opens on the port's current line settings
    values.portName = "COM2";
    values.baudRate = 115200;
    values.dataBits = 8;
    values.parity = 2;
    values.handshake = 1;
    values.stopBits = 0;
    presenter.configurationAccepted(values);

    PortSettings expected;
    expected.portName = "COM2";
    expected.baudRate = 115200;
    expected.dataBits = 8;
    expected.parity = 2;
    expected.handshake = 1;
    expected.timeouts = {10, 10, 10, 0, 0};
    expected.readBufferSize = 8192;
    expected.spareBufferSize = 4096;
    expected.reserved1 = 9; // carried through the dialog unchanged
    expected.reserved3 = 3000;
    EXPECT_EQ(portSettings, expected);
}

TEST_F(MainWindowTest, ModelWithoutPictureKeepsPictureAndPortEmpty) {
    presenter.applyModelChoice("Other", 4242);
    EXPECT_EQ(window.picture, 0);
    EXPECT_EQ(portSettings.portName, "");
    EXPECT_EQ(modelCode, 4242);
}

TEST(ModelPictures, ChosenByModelCode) {
    EXPECT_EQ(modelPictureFor(100), IDB_MODEL_143);
    EXPECT_EQ(modelPictureFor(2753), IDB_MODEL_142);
    EXPECT_EQ(modelPictureFor(35011000), IDB_MODEL_160);
    EXPECT_EQ(modelPictureFor(0), 0);
    EXPECT_EQ(modelPictureFor(351), 0);
}

TEST(FirmwareFilter, DependsOnModelCode) {
    EXPECT_EQ(firmwareFileFilter(99), "Firmware File(*.fls)|*.fls||");
    EXPECT_EQ(firmwareFileFilter(101), "Firmware File(*.hex)|*.hex||");
    EXPECT_EQ(firmwareFileFilter(1100), "Firmware File(*.fls)|*.fls|Firmware File(*.bin)|*.bin||");
}

} // namespace
