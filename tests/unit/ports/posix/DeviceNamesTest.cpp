#include "platform/posix/DeviceNames.h"
#include "platform/posix/CommDeadlines.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>

namespace {
struct Env {
    std::map<std::string, std::string> vars;
    EnvLookup lookup() const {
        return [this](const char* name) -> const char* {
            const auto it = vars.find(name);
            return it == vars.end() ? nullptr : it->second.c_str();
        };
    }
};

TEST(DeviceNamesTest, WindowsNamesMapToLinuxDevices) {
    const Env none;
    EXPECT_EQ(serialDevicePath("COM1", none.lookup()), "/dev/ttyS0");
    EXPECT_EQ(serialDevicePath("COM9", none.lookup()), "/dev/ttyS8");
    EXPECT_EQ(serialDevicePath("\\\\.\\COM12", none.lookup()), "/dev/ttyS11");
    EXPECT_EQ(serialDevicePath("COM256", none.lookup()), "/dev/ttyS255");
    EXPECT_EQ(parallelDevicePath("LPT1", none.lookup()), "/dev/lp0");
    EXPECT_EQ(parallelDevicePath("LPT3", none.lookup()), "/dev/lp2");
}

TEST(DeviceNamesTest, MalformedNamesNameNoDevice) {
    const Env none;
    for (const std::string& bad :
         {std::string(""), std::string("COM"), std::string("COM0"), std::string("COM999"),
          std::string("COM01"), std::string("com1"), std::string("COM1 "), std::string("COM3x"),
          std::string("COM-1"), std::string("\\\\.\\COM"), std::string("LPT1"),
          "COM" + std::string(297, '7')}) {
        EXPECT_EQ(serialDevicePath(bad, none.lookup()), "") << bad;
    }
    EXPECT_EQ(parallelDevicePath("COM1", none.lookup()), "");
    EXPECT_EQ(parallelDevicePath("LPT0", none.lookup()), "");
}

TEST(DeviceNamesTest, EnvironmentPointsAPortElsewhere) {
    Env env;
    env.vars["MIRELITH_COM3"] = "/dev/ttyUSB0";
    env.vars["MIRELITH_COM12"] = "/dev/pts/7";
    env.vars["MIRELITH_LPT1"] = "/dev/usb/lp0";
    env.vars["MIRELITH_COM4"] = ""; // empty: as if unset
    EXPECT_EQ(serialDevicePath("COM3", env.lookup()), "/dev/ttyUSB0");
    EXPECT_EQ(serialDevicePath("\\\\.\\COM12", env.lookup()), "/dev/pts/7");
    EXPECT_EQ(serialDevicePath("COM4", env.lookup()), "/dev/ttyS3");
    EXPECT_EQ(serialDevicePath("COM5", env.lookup()), "/dev/ttyS4");
    EXPECT_EQ(parallelDevicePath("LPT1", env.lookup()), "/dev/usb/lp0");
}

TEST(CommDeadlinesTest, TimeoutsBecomePollLimits) {
    // The serial port's fixed timeouts.
    const CommTimeouts serial{10, 10, 100, 5, 3000};
    EXPECT_EQ(writeLimitMs(serial, 4096, true), 3000 + 5 * 4096);
    const ReadPlan r = readPlanFor(serial, 20, true);
    EXPECT_EQ(r.totalMs, 10 * 20 + 100);
    EXPECT_EQ(r.intervalMs, 10);
    EXPECT_FALSE(r.returnAtOnce);

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
