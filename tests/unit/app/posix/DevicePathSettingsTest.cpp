// Device paths as port values on Linux: taken as they are (never upper-cased), with the port
// type their form gives; a device that COMn or LPTn leads to is that port. The tests assume no
// MIRELITH_COMn or MIRELITH_LPTn in the environment.
#include "app/SettingsReaders.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

TEST(DevicePathSettings, CommandLineTakesTheDeviceWithItsTypeDefaults) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-p", "/dev/ttyUSB0"}, "/dev/ttyUSB0 115200 CG"},
        {{"-p", "/dev/ttyACM1", "-b", "9600"}, "/dev/ttyACM1 9600 CG"},
        {{"-p", "/dev/serial/by-id/usb-FTDI_x-if00"},
         "/dev/serial/by-id/usb-FTDI_x-if00 115200 CG"},
        {{"-p", "/dev/pts/3"}, "/dev/pts/3 115200 CG"},
        // Devices that a port name leads to take that name.
        {{"-p", "/dev/ttyS11"}, "\\\\.\\COM12 115200 CG"},
        {{"-p", "/dev/lp0"}, "LPT1 0 LG"},
        {{"-p", "/dev/usb/lp1"}, "/dev/usb/lp1 0 UG"},
        // A later USB value still asks discovery for the device.
        {{"-p", "/dev/usb/lp1", "-p", "USB"}, "/dev/usb/lp1 0 U"},
        // A device of no known kind, a bare stem and a path outside /dev are no ports.
        {{"-p", "/dev/sda"}, "invalid"},
        {{"-p", "/dev/usb/lp"}, "invalid"},
        {{"-p", "/tmp/ttyS0"}, "invalid"},
        {{"-p", "dev/ttyS0"}, "invalid"},
    };
    for (const auto& [port, expected] : cases) {
        StartupSettings settings = inFw();
        FakeFileSystem files;
        RecordingReporter reporter;
        std::vector<std::string> words = {"mirelith", "-s", "-m", "T90 Prime", "-f", "a.fls"};
        words.insert(words.end(), port.begin(), port.end());
        EXPECT_EQ(portOutcome(parseCommandLine(settings, words, files, reporter), settings),
                  expected)
            << ::testing::PrintToString(port);
    }
}

} // namespace
