// Start-up: which source decides the run, what goes into the plan's job, what is reported.
#include "app/FirmwareApp.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

class Startup : public ::testing::Test {
  protected:
    std::string inStart(const std::string& name) const {
        return environment.current + pathSeparator() + name;
    }
    StartupPlan start(std::vector<std::string> words) {
        words.insert(words.begin(), "mirelith");
        auto findUsb = [this](int32_t code) {
            usbLookups.push_back(code);
            return usbPath;
        };
        app = std::make_unique<FirmwareApp>(
            FirmwareAppServices{environment, files, log, findUsb, words});
        StartupPlan plan = app->plan();
        log.flush();
        return plan;
    }
    std::string logFile() { return files.files[log.filePath()]; }

    FakeEnvironment environment;
    FakeFileSystem files;
    FakeDesktop desktop;
    EventLog log{environment, files, desktop};
    std::string usbPath;
    std::vector<int32_t> usbLookups;
    std::unique_ptr<FirmwareApp> app;
};

TEST_F(Startup, SilentComRunFillsTheJob) {
    const StartupPlan plan = start({"-s", "-p", "COM3", "-m", "T90 Prime", "-f", "fw.fls"});
    EXPECT_EQ(plan.run, PlannedRun::Silent);
    EXPECT_FALSE(plan.settingsFromIni);
    const PortSettings port{.portName = "COM3",
                            .baudRate = 115200,
                            .dataBits = 8,
                            .timeouts = {10, 10, 10, 0, 0},
                            .readBufferSize = 8192,
                            .spareBufferSize = 4096,
                            .reserved1 = 1,
                            .reserved3 = 3000};
    EXPECT_EQ(plan.job, (DownloadJob{1, 0, 1112, "T90 Prime", inStart("fw.fls"), port, "", {}}));
    EXPECT_TRUE(usbLookups.empty());
    EXPECT_TRUE(files.files.empty()); // "In silent mode" is only a trace

    // A name the table does not know is sent with the first named model's rules, and said.
    const DownloadJob guessed = start({"-s", "-p", "COM3", "-m", "T90 Prim", "-f", "fw.fls"}).job;
    EXPECT_EQ(guessed.modelCode, 1111);
    ASSERT_EQ(guessed.warnings.size(), 1u);
    EXPECT_NE(guessed.warnings[0].find("\"T90 Prim\" is none of the models known by name"),
              std::string::npos);
}

// The INI file decides alone, the command line is not read; without a model or file name in it
// the directory's only firmware file gives both.
TEST_F(Startup, IniFileDecidesAloneAndCommandLineIsIgnored) {
    files.addFile(inStart("qemnuv.ini"), "[NUV]\r\nPORTTYPE=COM1\r\n");
    files.addEntry(environment.current, "KEW-7_x_061523.fls");
    const StartupPlan plan = start({"-s", "-p", "COM2", "-m", "KAV", "-f", "fw.fls"});
    EXPECT_TRUE(plan.run == PlannedRun::Silent && plan.settingsFromIni);
    EXPECT_EQ(plan.job.portSettings.portName + " " + plan.job.modelName + " " +
                  plan.job.firmwarePath,
              "COM1 KEW-7 " + inStart("KEW-7_x_061523.fls"));
}

// Refused settings (an invalid command line, an INI file that is there but cannot be read,
// settings or firmware another user could have written when run as root): one log line, and
// the plan says the run is refused, and why.
TEST_F(Startup, RefusedSettingsLogOneLineAndThePlanSaysWhy) {
    const std::string logged =
        "VORANEX NUV\r\n\r\n[2024/03/05-07:08:09]  Invalid parameters\r\n\r\n";
    const StartupPlan plan = start({"-s", "-p", "PRN"});
    EXPECT_EQ(plan.run, PlannedRun::Invalid);
    EXPECT_TRUE(plan.job.quitAtStart == 1 && plan.job.silentRun == 0);
    EXPECT_FALSE(plan.job.refusal.empty());
    EXPECT_EQ(logFile(), logged);

    files.probeErrors[inStart("qemnuv.ini")] = 5;
    const StartupPlan unreadable = start({});
    EXPECT_TRUE(unreadable.run == PlannedRun::Invalid && unreadable.settingsFromIni);
    EXPECT_EQ(unreadable.job.refusal, inStart("qemnuv.ini") + " exists but cannot be read");

    files.probeErrors.clear();
    files.files.clear();
    files.addFile(inStart("qemnuv.ini"), "[NUV]\r\nPORTTYPE=COM1\r\nFWNAME=KAV_1_010124.fls\r\n");
    files.distrusted[inStart("qemnuv.ini")] = "the directory /work/fw is owned by user 65534";
    const StartupPlan ini = start({});
    EXPECT_EQ(ini.run, PlannedRun::Invalid);
    EXPECT_EQ(ini.job.refusal, "qemnuv.ini is not used by a run as root: the directory /work/fw "
                               "is owned by user 65534");
    EXPECT_EQ(logFile(), logged);

    files.files.erase(inStart("qemnuv.ini"));
    files.distrusted[inStart("fw.fls")] = "the symbolic link /work/fw/fw.fls is owned by user 7";
    const StartupPlan firmware = start({"-s", "-p", "COM1", "-m", "KAV", "-f", "fw.fls"});
    EXPECT_EQ(firmware.run, PlannedRun::Invalid);
    EXPECT_EQ(firmware.job.refusal, "the firmware file fw.fls is not used by a run as root: the "
                                    "symbolic link /work/fw/fw.fls is owned by user 7");
    // A file it may believe is used as before.
    files.distrusted.clear();
    const StartupPlan believed = start({"-s", "-p", "COM1", "-m", "KAV", "-f", "fw.fls"});
    EXPECT_TRUE(believed.run == PlannedRun::Silent && believed.job.refusal.empty());
}

// Without a port the only firmware file's model is looked for on USB; when no printer of it is
// attached, the plan says so with the job it would have sent, and the message is shown.
TEST_F(Startup, SilentUsbRunUsesTheDiscoveredDeviceOrPlansNoPrinter) {
    files.addEntry(environment.current, "KAV-9_V1_010124.fls");
    const StartupPlan none = start({"-s"});
    EXPECT_EQ(none.run, PlannedRun::NoUsbPrinter);
    EXPECT_FALSE(app->portGiven);
    EXPECT_EQ(none.job.modelName + " " + none.job.firmwarePath,
              "KAV-9 " + inStart("KAV-9_V1_010124.fls"));
    EXPECT_EQ(desktop.shown, (std::vector<std::pair<std::string, std::string>>{
                                 {"Not connected Printer using usb<KAV-9>", "QEM_NUV"}}));

    usbPath = "\\\\?\\usb#vid_1234&pid_0001#1#{guid}";
    const StartupPlan found = start({"-s"});
    EXPECT_EQ(found.run, PlannedRun::Silent);
    EXPECT_EQ(usbLookups, (std::vector<int32_t>{1111, 1111}));
    EXPECT_TRUE(app->portGiven); // the device is known from here on, as if named
    const PortSettings& port = found.job.portSettings;
    EXPECT_TRUE(port.portName == usbPath && port.baudRate == 0 && port.dataBits == 0);
    EXPECT_EQ(found.job.firmwarePath, inStart("KAV-9_V1_010124.fls"));
    EXPECT_TRUE(files.files.empty());
}

} // namespace
