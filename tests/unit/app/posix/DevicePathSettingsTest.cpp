// Device paths as port values on Linux: taken as they are (never upper-cased), with the port
// type their form gives; a device that COMn or LPTn leads to is that port. The tests assume no
// MIRELITH_COMn or MIRELITH_LPTn in the environment.
#include "app/PortValue.h"
#include "app/SettingsReaders.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

TEST(DevicePathSettings, CommandLineTakesTheDeviceWithItsTypeDefaults) {
    struct Case {
        std::vector<std::string> words;
        std::string portName;
        int32_t baudRate;
        bool com, lpt, usb, given;
    };
    const Case cases[] = {
        {{"-s", "-p", "/dev/ttyUSB0"}, "/dev/ttyUSB0", 115200, true, false, false, true},
        {{"-s", "-p", "/dev/ttyACM1", "-b", "9600"},
         "/dev/ttyACM1",
         9600,
         true,
         false,
         false,
         true},
        {{"-s", "-p", "/dev/serial/by-id/usb-FTDI_x-if00"},
         "/dev/serial/by-id/usb-FTDI_x-if00",
         115200,
         true,
         false,
         false,
         true},
        // Devices that a port name leads to take that name.
        {{"-s", "-p", "/dev/ttyS11"}, "\\\\.\\COM12", 115200, true, false, false, true},
        {{"-s", "-p", "/dev/lp0"}, "LPT1", 0, false, true, false, true},
        {{"-s", "-p", "/dev/lp7"}, "LPT8", 0, false, true, false, true},
        {{"-s", "-p", "/dev/usb/lp1"}, "/dev/usb/lp1", 0, false, false, true, true},
        // A later USB value still asks discovery for the device.
        {{"-s", "-p", "/dev/usb/lp1", "-p", "USB"}, "/dev/usb/lp1", 0, false, false, true, false},
    };
    for (const Case& c : cases) {
        StartupSettings settings = inFw();
        FakeFileSystem files;
        RecordingReporter reporter;
        std::vector<std::string> words = c.words;
        words.insert(words.begin(), {"mirelith"});
        words.insert(words.end(), {"-m", "T90 Prime", "-f", "a.fls"});
        const std::string what = ::testing::PrintToString(c.words);
        ASSERT_EQ(parseCommandLine(settings, words, files, reporter), RunMode::Silent) << what;
        EXPECT_EQ(settings.portSettings.portName, c.portName) << what;
        EXPECT_EQ(settings.portSettings.baudRate, c.baudRate) << what;
        EXPECT_EQ(settings.portIsCom, c.com) << what;
        EXPECT_EQ(settings.portIsLpt, c.lpt) << what;
        EXPECT_EQ(settings.portIsUsb, c.usb) << what;
        EXPECT_EQ(settings.portGiven, c.given) << what;
    }
}

TEST(DevicePathSettings, OnlyDeviceShapedPathsArePorts) {
    // A device of no known kind, a bare stem and a path outside /dev stay invalid.
    for (const char* value : {"/dev/sda", "/dev/tty", "/dev/usb/lp", "/tmp/ttyS0", "dev/ttyS0"}) {
        EXPECT_EQ(classifyPortValue(value).type, PortType::None) << value;
    }
    EXPECT_EQ(classifyPortValue("/dev/pts/3").type, PortType::Com);
}

} // namespace
