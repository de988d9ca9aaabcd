// Start-up: which source decides the run mode, what goes into DownloadJob, what is reported.
#include "app/FirmwareApp.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

class Startup : public ::testing::Test {
  protected:
    std::string inStart(const std::string& name) const {
        return environment.current + pathSeparator() + name;
    }
    FirmwareApp& start(std::vector<std::string> words) {
        words.insert(words.begin(), "mirelith");
        auto sockets = [] { return SocketLayerStatus{true, 0, 0}; };
        auto findUsb = [this](int32_t code) {
            usbLookups.push_back(code);
            return usbPath;
        };
        app = std::make_unique<FirmwareApp>(
            FirmwareAppServices{environment, files, desktop, log, sockets, findUsb, words});
        EXPECT_FALSE(app->initInstance(runner));
        return *app;
    }
    std::string logFile() { return files.files[log.filePath()]; }

    FakeEnvironment environment;
    FakeFileSystem files;
    FakeDesktop desktop;
    EventLog log{environment, files, desktop};
    RecordingRunner runner;
    std::string usbPath;
    std::vector<int32_t> usbLookups;
    std::unique_ptr<FirmwareApp> app;
};

TEST_F(Startup, SilentComRunFillsTheJob) {
    FirmwareApp& a = start({"-s", "-p", "COM3", "-m", "T90 Prime", "-f", "fw.fls"});
    ASSERT_EQ(runner.jobs.size(), 1u);
    const DownloadJob& job = runner.jobs[0];
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
    EXPECT_TRUE(usbLookups.empty());
    EXPECT_EQ(a.exitInstance(), 0);
    EXPECT_TRUE(files.files.empty()); // "In silent mode" is only a trace
}

// The INI file decides alone, the command line is not read; without a model or file name in it
// the directory's only firmware file gives both.
TEST_F(Startup, IniFileDecidesAloneAndCommandLineIsIgnored) {
    files.addFile(inStart("qemnuv.ini"), "[NUV]\r\nPORTTYPE=COM1\r\n");
    files.addEntry(environment.current, "KEW-7_x_061523.fls");
    start({"-s", "-p", "COM2", "-m", "KAV", "-f", "fw.fls"});
    ASSERT_EQ(runner.jobs.size(), 1u);
    EXPECT_EQ(runner.jobs[0].portSettings.portName, "COM1");
    EXPECT_EQ(runner.jobs[0].modelName, "KEW-7");
    EXPECT_EQ(runner.jobs[0].firmwarePath, inStart("KEW-7_x_061523.fls"));
}

// An invalid command line, or an INI file that is there but cannot be read: one log line, and
// the window quits at once.
TEST_F(Startup, InvalidRunLogsOneLineAndQuits) {
    FirmwareApp& a = start({"-s", "-p", "PRN"});
    EXPECT_EQ(a.runMode, RunMode::Invalid);
    ASSERT_EQ(runner.jobs.size(), 1u);
    EXPECT_EQ(runner.jobs[0].quitAtStart, 1);
    EXPECT_EQ(runner.jobs[0].silentRun, 0);
    EXPECT_EQ(a.exitInstance(), 1);
    EXPECT_EQ(logFile(), "VORANEX NUV\r\n\r\n[2024/03/05-07:08:09]  Invalid parameters\r\n\r\n");

    files.probeErrors[inStart("qemnuv.ini")] = 5;
    EXPECT_EQ(start({}).exitInstance(), 1);
    EXPECT_EQ(runner.jobs.back().quitAtStart, 1);
}

// A root run refuses settings or firmware another user could have written, saying which file
// and why; the log keeps its one line.
TEST_F(Startup, FilesARootRunMustNotBelieveMakeTheRunInvalidWithTheReason) {
    files.addFile(inStart("qemnuv.ini"), "[NUV]\r\nPORTTYPE=COM1\r\nFWNAME=KAV_1_010124.fls\r\n");
    files.distrusted[inStart("qemnuv.ini")] = "the directory /work/fw is owned by user 65534";
    EXPECT_EQ(start({}).exitInstance(), 1);
    EXPECT_EQ(runner.jobs.back().quitAtStart, 1);
    EXPECT_EQ(runner.jobs.back().refusal,
              "qemnuv.ini is not used by a run as root: the directory /work/fw is owned by user "
              "65534");
    EXPECT_EQ(logFile(), "VORANEX NUV\r\n\r\n[2024/03/05-07:08:09]  Invalid parameters\r\n\r\n");

    files.files.erase(inStart("qemnuv.ini"));
    files.distrusted[inStart("fw.fls")] = "the symbolic link /work/fw/fw.fls is owned by user 7";
    start({"-s", "-p", "COM1", "-m", "KAV", "-f", "fw.fls"});
    EXPECT_EQ(app->runMode, RunMode::Invalid);
    EXPECT_EQ(runner.jobs.back().refusal,
              "the firmware file fw.fls is not used by a run as root: the symbolic link "
              "/work/fw/fw.fls is owned by user 7");
    // A file it may believe is used as before.
    files.distrusted.clear();
    start({"-s", "-p", "COM1", "-m", "KAV", "-f", "fw.fls"});
    EXPECT_EQ(app->runMode, RunMode::Silent);
    EXPECT_EQ(runner.jobs.back().refusal, "");
}

// Without a port the only firmware file's model is looked for on USB; when no printer of it is
// attached there is no window and nothing to download.
TEST_F(Startup, SilentUsbRunUsesTheDiscoveredDeviceOrShowsAMessage) {
    files.addEntry(environment.current, "KAV-9_V1_010124.fls");
    EXPECT_EQ(start({"-s"}).exitInstance(), 2);
    EXPECT_TRUE(runner.jobs.empty());
    EXPECT_EQ(desktop.shown, (std::vector<std::pair<std::string, std::string>>{
                                 {"Not connected Printer using usb<KAV-9>", "QEM_NUV"}}));

    usbPath = "\\\\?\\usb#vid_1234&pid_0001#1#{guid}";
    EXPECT_TRUE(start({"-s"}).portGiven);
    EXPECT_EQ(usbLookups, (std::vector<int32_t>{1111, 1111}));
    ASSERT_EQ(runner.jobs.size(), 1u);
    EXPECT_EQ(runner.jobs[0].portSettings.portName, usbPath);
    EXPECT_EQ(runner.jobs[0].portSettings.baudRate, 0);
    EXPECT_EQ(runner.jobs[0].portSettings.dataBits, 0);
    EXPECT_EQ(runner.jobs[0].firmwarePath, inStart("KAV-9_V1_010124.fls"));
    EXPECT_TRUE(files.files.empty());
}

} // namespace
