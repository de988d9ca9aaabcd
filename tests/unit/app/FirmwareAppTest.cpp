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
    const DownloadJob& job = plan.job;
    EXPECT_EQ(job.silentRun, 1);
    EXPECT_EQ(job.quitAtStart, 0);
    EXPECT_EQ(job.modelCode, 1112);
    EXPECT_EQ(job.modelName, "T90 Prime");
    EXPECT_EQ(job.firmwarePath, inStart("fw.fls"));
    const PortSettings expected{.portName = "COM3",
                                .baudRate = 115200,
                                .dataBits = 8,
                                .timeouts = {10, 10, 10, 0, 0},
                                .readBufferSize = 8192,
                                .spareBufferSize = 4096,
                                .reserved1 = 1,
                                .reserved3 = 3000};
    EXPECT_EQ(job.portSettings, expected);
    EXPECT_TRUE(job.warnings.empty());
    EXPECT_TRUE(usbLookups.empty());
    EXPECT_TRUE(files.files.empty()); // "In silent mode" is only a trace

    // A name the table does not know is sent with the first named model's rules, and said.
    const StartupPlan guessed = start({"-s", "-p", "COM3", "-m", "T90 Prim", "-f", "fw.fls"});
    EXPECT_EQ(guessed.job.modelCode, 1111);
    ASSERT_EQ(guessed.job.warnings.size(), 1u);
    EXPECT_NE(guessed.job.warnings[0].find("\"T90 Prim\" is none of the models known by name"),
              std::string::npos);
}

// The INI file decides alone, the command line is not read; without a model or file name in it
// the directory's only firmware file gives both.
TEST_F(Startup, IniFileDecidesAloneAndCommandLineIsIgnored) {
    files.addFile(inStart("qemnuv.ini"), "[NUV]\r\nPORTTYPE=COM1\r\n");
    files.addEntry(environment.current, "KEW-7_x_061523.fls");
    const StartupPlan plan = start({"-s", "-p", "COM2", "-m", "KAV", "-f", "fw.fls"});
    EXPECT_EQ(plan.run, PlannedRun::Silent);
    EXPECT_TRUE(plan.settingsFromIni);
    EXPECT_EQ(plan.job.portSettings.portName, "COM1");
    EXPECT_EQ(plan.job.modelName, "KEW-7");
    EXPECT_EQ(plan.job.firmwarePath, inStart("KEW-7_x_061523.fls"));
}

// An invalid command line, or an INI file that is there but cannot be read: one log line, and
// the plan says the run is refused, and why.
TEST_F(Startup, InvalidRunLogsOneLineAndIsRefused) {
    const StartupPlan plan = start({"-s", "-p", "PRN"});
    EXPECT_EQ(plan.run, PlannedRun::Invalid);
    EXPECT_EQ(plan.job.quitAtStart, 1);
    EXPECT_EQ(plan.job.silentRun, 0);
    EXPECT_FALSE(plan.job.refusal.empty());
    EXPECT_EQ(logFile(), "VORANEX NUV\r\n\r\n[2024/03/05-07:08:09]  Invalid parameters\r\n\r\n");

    files.probeErrors[inStart("qemnuv.ini")] = 5;
    const StartupPlan unreadable = start({});
    EXPECT_EQ(unreadable.run, PlannedRun::Invalid);
    EXPECT_TRUE(unreadable.settingsFromIni);
    EXPECT_EQ(unreadable.job.refusal, inStart("qemnuv.ini") + " exists but cannot be read");
}

// A root run refuses settings or firmware another user could have written, saying which file
// and why; the log keeps its one line.
TEST_F(Startup, FilesARootRunMustNotBelieveMakeTheRunInvalidWithTheReason) {
    files.addFile(inStart("qemnuv.ini"), "[NUV]\r\nPORTTYPE=COM1\r\nFWNAME=KAV_1_010124.fls\r\n");
    files.distrusted[inStart("qemnuv.ini")] = "the directory /work/fw is owned by user 65534";
    const StartupPlan ini = start({});
    EXPECT_EQ(ini.run, PlannedRun::Invalid);
    EXPECT_EQ(ini.job.refusal,
              "qemnuv.ini is not used by a run as root: the directory /work/fw is owned by user "
              "65534");
    EXPECT_EQ(logFile(), "VORANEX NUV\r\n\r\n[2024/03/05-07:08:09]  Invalid parameters\r\n\r\n");

    files.files.erase(inStart("qemnuv.ini"));
    files.distrusted[inStart("fw.fls")] = "the symbolic link /work/fw/fw.fls is owned by user 7";
    const StartupPlan firmware = start({"-s", "-p", "COM1", "-m", "KAV", "-f", "fw.fls"});
    EXPECT_EQ(firmware.run, PlannedRun::Invalid);
    EXPECT_EQ(firmware.job.refusal,
              "the firmware file fw.fls is not used by a run as root: the symbolic link "
              "/work/fw/fw.fls is owned by user 7");
    // A file it may believe is used as before.
    files.distrusted.clear();
    const StartupPlan believed = start({"-s", "-p", "COM1", "-m", "KAV", "-f", "fw.fls"});
    EXPECT_EQ(believed.run, PlannedRun::Silent);
    EXPECT_EQ(believed.job.refusal, "");
}

// Without a port the only firmware file's model is looked for on USB; when no printer of it is
// attached, the plan says so with the job it would have sent, and the message is shown.
TEST_F(Startup, SilentUsbRunUsesTheDiscoveredDeviceOrPlansNoPrinter) {
    files.addEntry(environment.current, "KAV-9_V1_010124.fls");
    const StartupPlan none = start({"-s"});
    EXPECT_EQ(none.run, PlannedRun::NoUsbPrinter);
    EXPECT_FALSE(app->portGiven);
    EXPECT_EQ(none.job.modelName, "KAV-9");
    EXPECT_EQ(none.job.firmwarePath, inStart("KAV-9_V1_010124.fls"));
    EXPECT_EQ(desktop.shown, (std::vector<std::pair<std::string, std::string>>{
                                 {"Not connected Printer using usb<KAV-9>", "QEM_NUV"}}));

    usbPath = "\\\\?\\usb#vid_1234&pid_0001#1#{guid}";
    const StartupPlan found = start({"-s"});
    EXPECT_EQ(found.run, PlannedRun::Silent);
    EXPECT_EQ(usbLookups, (std::vector<int32_t>{1111, 1111}));
    EXPECT_EQ(found.job.portSettings.portName, usbPath);
    EXPECT_TRUE(app->portGiven); // the device is known from here on, as if named
    EXPECT_EQ(found.job.portSettings.baudRate, 0);
    EXPECT_EQ(found.job.portSettings.dataBits, 0);
    EXPECT_EQ(found.job.firmwarePath, inStart("KAV-9_V1_010124.fls"));
    EXPECT_TRUE(files.files.empty());
}

} // namespace
