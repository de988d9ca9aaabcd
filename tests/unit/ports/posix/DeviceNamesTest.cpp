#include "platform/posix/DeviceNames.h"
#include "platform/posix/CommDeadlines.h"
#include "ports/PortDriver.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <tuple>

namespace {
// A port name's device: the environment may point a port elsewhere (empty: as if unset).
TEST(DeviceNamesTest, WindowsNamesMapToLinuxDevicesUnlessTheEnvironmentSaysOtherwise) {
    const std::map<std::string, std::string> vars = {{"MIRELITH_COM3", "/dev/ttyUSB0"},
                                                     {"MIRELITH_COM12", "/dev/pts/7"},
                                                     {"MIRELITH_LPT1", "/dev/usb/lp0"},
                                                     {"MIRELITH_COM4", ""}};
    const EnvLookup env = [&](const char* name) -> const char* {
        const auto it = vars.find(name);
        return it == vars.end() ? nullptr : it->second.c_str();
    };
    const std::pair<std::string, std::string> serial[] = {
        {"COM1", "/dev/ttyS0"},         {"COM256", "/dev/ttyS255"}, {"\\\\.\\COM11", "/dev/ttyS10"},
        {"\\\\.\\COM12", "/dev/pts/7"}, {"COM3", "/dev/ttyUSB0"},   {"COM4", "/dev/ttyS3"}};
    for (const auto& [name, path] : serial) {
        EXPECT_EQ(serialDevicePath(name, env), path) << name;
    }
    EXPECT_EQ(parallelDevicePath("LPT3", env), "/dev/lp2");
    EXPECT_EQ(parallelDevicePath("LPT1", env), "/dev/usb/lp0");

    for (const std::string& bad :
         {std::string(""), std::string("COM"), std::string("COM0"), std::string("COM999"),
          std::string("COM01"), std::string("com1"), std::string("COM1 "), std::string("COM3x"),
          std::string("COM-1"), std::string("\\\\.\\COM"), std::string("LPT1"),
          "COM" + std::string(297, '7')}) {
        EXPECT_EQ(serialDevicePath(bad, env), "") << bad;
    }
    EXPECT_EQ(parallelDevicePath("COM1", env), "");
    EXPECT_EQ(parallelDevicePath("LPT0", env), "");
    // A device node named as the port gets the port variant of its kind.
    EXPECT_EQ(portKindFor("/dev/ttyUSB0"), PortKind::Com);
    EXPECT_EQ(portKindFor("/dev/lp0"), PortKind::Lpt);
    EXPECT_EQ(portKindFor("/dev/usb/lp0"), PortKind::Usb);
}

TEST(CommDeadlinesTest, TimeoutsBecomePollLimits) {
    // The serial port's fixed timeouts.
    const CommTimeouts serial{10, 10, 100, 5, 3000};
    EXPECT_EQ(writeLimitMs(serial, 4096, true), 3000 + 5 * 4096);
    const ReadPlan r = readPlanFor(serial, 20, true);
    EXPECT_EQ(std::tuple(r.totalMs, r.intervalMs, r.returnAtOnce),
              std::tuple(10 * 20 + 100, 10, false));

    // Parallel defaults: no write limit at all.
    EXPECT_EQ(writeLimitMs(CommTimeouts{10, 10, 10, 0, 0}, 4096, true), kNoLimit);
    // Never given timeouts: no write limit, reads return with the first bytes.
    EXPECT_EQ(writeLimitMs(serial, 10, false), kNoLimit);
    EXPECT_TRUE(readPlanFor(serial, 10, false).returnOnAnyByte);

    EXPECT_TRUE(readPlanFor(CommTimeouts{0xFFFFFFFFu, 0, 0, 0, 0}, 10, true).returnAtOnce);
    const ReadPlan anyByte =
        readPlanFor(CommTimeouts{0xFFFFFFFFu, 0xFFFFFFFFu, 500, 0, 0}, 10, true);
    EXPECT_TRUE(anyByte.returnOnAnyByte);
    EXPECT_EQ(anyByte.totalMs, 500);
    // Large values do not overflow.
    EXPECT_EQ(writeLimitMs(CommTimeouts{0, 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu}, 0xFFFFFFFFu, true),
              std::numeric_limits<int64_t>::max());
}
} // namespace
