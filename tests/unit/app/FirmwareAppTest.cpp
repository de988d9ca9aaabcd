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
        app = std::make_unique<FirmwareApp>(FirmwareAppServices{environment, files, desktop, log,
                                                                [this] { return sockets; },
                                                                [this](int32_t code) {
                                                                    usbLookups.push_back(code);
                                                                    return usbPath;
                                                                },
                                                                words});
        EXPECT_FALSE(app->initInstance(runner));
        return *app;
    }
    void addFirmware(const std::string& name) { files.addEntry(environment.current, name); }
    std::string logFile() { return files.files[log.filePath()]; }

    FakeEnvironment environment;
    FakeFileSystem files;
    FakeDesktop desktop;
    EventLog log{environment, files, desktop};
    RecordingRunner runner;
    SocketLayerStatus sockets{true, 0, 0};
    std::string usbPath;
    std::vector<int32_t> usbLookups;
    std::unique_ptr<FirmwareApp> app;
};

TEST_F(Startup, SilentComRunFillsTheJob) {
    FirmwareApp& a = start({"-s", "-p", "COM3", "-m", "T90 Prime", "-f", "fw.fls"});
    ASSERT_EQ(a.runMode, RunMode::Silent);
    ASSERT_EQ(runner.jobs.size(), 1u);
    const DownloadJob& job = runner.jobs[0];
    EXPECT_EQ(job.silentRun, 1);
    EXPECT_EQ(job.quitAtStart, 0);
    EXPECT_EQ(job.modelCode, 1112);
    EXPECT_EQ(job.modelName, "T90 Prime");
    EXPECT_EQ(job.firmwarePath, inStart("fw.fls"));
    PortSettings expected;
    expected.portName = "COM3";
    expected.baudRate = 115200;
    expected.dataBits = 8;
    expected.timeouts = {10, 10, 10, 0, 0};
    expected.readBufferSize = 8192;
    expected.spareBufferSize = 4096;
    expected.reserved1 = 1;
    expected.reserved3 = 3000;
    EXPECT_EQ(job.portSettings, expected);
    EXPECT_TRUE(usbLookups.empty());
    EXPECT_EQ(a.exitInstance(), 0);
    EXPECT_TRUE(files.files.empty()); // "In silent mode" is only a trace
}

TEST_F(Startup, IniFileDecidesAloneAndCommandLineIsIgnored) {
    files.addFile(inStart("qemnuv.ini"), "[NUV]\r\nPORTTYPE=COM1\r\n");
    FirmwareApp& a = start({"-s", "-p", "COM2", "-m", "KAV", "-f", "fw.fls"});
    EXPECT_EQ(a.runMode, RunMode::Invalid); // the INI file names no usable firmware
    EXPECT_EQ(files.probed, std::vector<std::string>{inStart("qemnuv.ini")});
}

TEST_F(Startup, InvalidRunLogsOneLineAndQuits) {
    FirmwareApp& a = start({"-s", "-p", "PRN"});
    EXPECT_EQ(a.runMode, RunMode::Invalid);
    ASSERT_EQ(runner.jobs.size(), 1u);
    EXPECT_EQ(runner.jobs[0].quitAtStart, 1);
    EXPECT_EQ(runner.jobs[0].silentRun, 0);
    EXPECT_EQ(a.exitInstance(), 1);
    EXPECT_EQ(logFile(), "VORANEX NUV\r\n\r\n[2024/03/05-07:08:09]  Invalid parameters\r\n\r\n");
}

TEST_F(Startup, UnreadableIniFileMakesTheRunInvalid) {
    files.failProbe(inStart("qemnuv.ini"), 5);
    FirmwareApp& a = start({});
    EXPECT_EQ(a.runMode, RunMode::Invalid);
    EXPECT_EQ(a.exitInstance(), 1);
    EXPECT_NE(logFile().find("Invalid parameters"), std::string::npos);
}

TEST_F(Startup, SilentUsbRunUsesTheDiscoveredDevice) {
    addFirmware("KAV-9_V1_010124.fls");
    usbPath = "\\\\?\\usb#vid_1234&pid_0001#1#{guid}";
    FirmwareApp& a = start({"-s"});
    ASSERT_EQ(a.runMode, RunMode::Silent);
    EXPECT_EQ(usbLookups, std::vector<int32_t>{1111});
    ASSERT_EQ(runner.jobs.size(), 1u);
    EXPECT_EQ(runner.jobs[0].portSettings.portName, usbPath);
    EXPECT_EQ(runner.jobs[0].portSettings.baudRate, 0);
    EXPECT_EQ(runner.jobs[0].portSettings.dataBits, 0);
    EXPECT_EQ(runner.jobs[0].firmwarePath, inStart("KAV-9_V1_010124.fls"));
    EXPECT_TRUE(a.portGiven);
}

TEST_F(Startup, SilentUsbRunWithoutDeviceShowsAMessageAndRunsNoWindow) {
    addFirmware("KAV-9_V1_010124.fls");
    FirmwareApp& a = start({"-s"});
    EXPECT_TRUE(runner.jobs.empty());
    EXPECT_EQ(desktop.shown,
              (std::vector<ShownMessage>{{"Not connected Printer using usb<KAV-9>", "QEM_NUV"}}));
    EXPECT_EQ(a.exitInstance(), 2);
    EXPECT_TRUE(files.files.empty());
}

} // namespace
