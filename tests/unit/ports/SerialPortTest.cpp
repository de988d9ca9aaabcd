#include "ports/PortDriver.h"
#include "ports/SerialLineRules.h"
#include "support/PortFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>

namespace {
using Sleeps = std::vector<uint32_t>;

PortSettings serialSettings(int32_t handshake = kHandshakeDtrDsr) {
    return {.portName = "\\\\.\\COM12",
            .baudRate = 38400,
            .dataBits = 8,
            .handshake = handshake,
            .timeouts = {1, 2, 3, 4, 5}, // must not reach the device
            .readBufferSize = 120};
}

struct SerialRig {
    FakeDeviceFactory devices;
    FakeClock clock{0xFFFFF000u}; // the tick count wraps during a write's retries
    PortDriver driver{devices, clock};
    FakeDeviceState& device = devices.serial;
    explicit SerialRig(bool open = true, int32_t handshake = kHandshakeDtrDsr) {
        EXPECT_EQ(driver.configure(serialSettings(handshake)), 1);
        if (open) {
            EXPECT_EQ(driver.open(0), 1);
        }
    }
};

struct SerialPortTest : ::testing::Test, SerialRig {};

TEST_F(SerialPortTest, OpenAppliesLineSettingsAndFixedTimeoutsInOrder) {
    EXPECT_EQ(device.conversation(),
              (std::vector<std::string>{"open \\\\.\\COM12", "getLineSettings", "setLineSettings",
                                        "modemStatus", "setTimeouts", "purge"}));
    EXPECT_EQ(clock.sleeps(), Sleeps{200});
    ASSERT_TRUE(device.applied.has_value());
    EXPECT_EQ(device.applied->baudRate, 38400u);
    EXPECT_TRUE(device.applied->outxDsrFlow);
    EXPECT_EQ(device.timeouts, (CommTimeouts{10, 10, 100, 5, 3000}));
    EXPECT_EQ(driver.open(0), 1); // reopening lets the device go first, or it would be busy
}

// Every failed open waits the settle time, releases the device and says why.
TEST(SerialPortOpen, FailuresReleaseTheDeviceAndSayWhy) {
    const int32_t dtr = kHandshakeDtrDsr;
    const struct {
        const char* refuse;
        ModemLines lines;
        int32_t handshake;
        const char* reason;
    } cases[] = {
        {"open", {true, true}, dtr, "the port cannot be opened"},
        {"getLineSettings", {true, true}, dtr, "the line settings cannot be read"},
        {"setLineSettings", {true, true}, dtr, "the line settings were refused"},
        {"modemStatus", {true, true}, dtr, "the modem lines cannot be read"},
        {"setTimeouts", {true, true}, dtr, "the timeouts were refused"},
        {"", {true, true}, 2, "handshake 2 is not supported"},
        {"", {false, true}, dtr, "the printer does not assert DSR: is it switched on and"},
        {"", {true, false}, kHandshakeXonXoff, "the printer does not assert CTS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        SerialRig r(false, c.handshake);
        r.device.refuse = c.refuse;
        r.device.lines = c.lines;
        EXPECT_EQ(r.driver.open(0), 0);
        EXPECT_EQ(r.clock.sleeps(), Sleeps{200});
        EXPECT_FALSE(r.device.isOpen);
        EXPECT_THAT(r.driver.lastErrorText(),
                    ::testing::StartsWith("\\\\.\\COM12: " + std::string(c.reason)));
        const uint8_t byte = 0;
        EXPECT_EQ(r.driver.write(&byte, 1), 0);
    }
    // The port itself forgets the reason once an open succeeds (the driver keeps its own). An
    // XON/XOFF printer needs only CTS.
    SerialRig r(false);
    SerialPort port(r.devices, r.clock);
    EXPECT_EQ(port.configure(PortSettings{}), 0);
    EXPECT_EQ(port.lastErrorText(), "no port name given");
    r.device.lines = {false, true};
    ASSERT_EQ(port.configure(serialSettings(kHandshakeXonXoff)), 1);
    r.device.refuse = "open";
    EXPECT_EQ(port.open(0), 0);
    r.device.refuse.clear();
    ASSERT_EQ(port.open(0), 1);
    EXPECT_EQ(port.lastErrorText(), "");
}

// A write the printer does not take whole is retried with the rest every 1500 ms, until it is
// all taken or 20 s have passed since the write began: the printer may keep running into the
// device's write timeout (3000 ms plus 5 ms a byte) or an unplugged adapter fail at once.
TEST(SerialPortWrite, RetriesTheRestForTwentySecondsThenGivesUpWithTheShortCount) {
    const std::string noData = "\\\\.\\COM12: the printer took no data for 20 s";
    const struct {
        FakeWriteStep first, rest;
        uint32_t attemptMs;
        int32_t sent;
        size_t attempts, retries;
        std::string reason;
    } cases[] = {
        {{true, 10}, {}, 0, 100, 2, 1, ""},
        {{true, 10}, {true, 90, 50}, 0, 100, 2, 1, ""}, // a claim past the data counts no more
        {{true, 10}, {true, 0}, 3000 + 5 * 100, 10, 4, 4, noData}, // at 0, 5000, 10000, 15000 ms
        {{false, 0}, {false, 0}, 0, 0, 14, 14, noData},            // at 0, 1500, ..., 19500 ms
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attempts);
        SerialRig r;
        r.device.writeSteps = {c.first, c.rest};
        r.device.clock = &r.clock;
        r.device.writeMs = c.attemptMs;
        std::vector<uint8_t> data(100);
        std::iota(data.begin(), data.end(), uint8_t{0});
        EXPECT_EQ(r.driver.write(data.data(), 100), c.sent);
        EXPECT_EQ(r.device.writeSizes.size(), c.attempts);
        EXPECT_EQ(r.device.written, std::vector<uint8_t>(data.begin(), data.begin() + c.sent));
        Sleeps sleeps(c.retries + 1, 1500);
        sleeps[0] = 200;
        EXPECT_EQ(r.clock.sleeps(), sleeps);
        EXPECT_EQ(r.driver.lastErrorText(), c.reason);
    }
}

TEST_F(SerialPortTest, ReadSleepsOnceWhenShortAndReturnsWhatIsBuffered) {
    device.feed({1, 2, 3, 4, 5});
    ASSERT_TRUE(device.waitForPolls(2));
    uint8_t buffer[20] = {};
    EXPECT_EQ(driver.read(buffer, 20, 2000), 5);
    EXPECT_EQ(clock.sleeps(), (Sleeps{200, 2000}));
    EXPECT_EQ(buffer[4], 5);
    // Enough buffered: no sleep. A negative wait is no wait, not "forever".
    device.feed({6, 7, 8});
    ASSERT_TRUE(device.waitForPolls(2));
    EXPECT_EQ(driver.read(buffer, 2, 2000), 2);
    EXPECT_EQ(clock.sleeps().size(), 2u);
    EXPECT_EQ(driver.read(buffer, 20, -1), 1);
    EXPECT_EQ(clock.sleeps().back(), 0u);
    EXPECT_EQ(buffer[0], 8);
}

// A failed device read cancels the transfer and loses nothing: the bytes come on a later poll.
TEST_F(SerialPortTest, ReaderStopsAtAFullBufferUntilReadMakesRoom) {
    device.refuse = "read"; // set before any byte arrives: until then the reader reads nothing
    std::vector<uint8_t> bytes(250); // the buffer holds 120
    std::iota(bytes.begin(), bytes.end(), uint8_t{0});
    device.feed(bytes);
    ASSERT_TRUE(device.waitForPolls(4));
    EXPECT_EQ(device.queued(), 130u); // left in the device, not dropped

    std::vector<uint8_t> got(50);
    ASSERT_EQ(driver.read(got.data(), 50, 0), 50);
    ASSERT_TRUE(device.waitForPolls(3));
    EXPECT_EQ(device.queued(), 80u);
    std::vector<uint8_t> rest(200);
    ASSERT_EQ(driver.read(rest.data(), 200, 0), 120);
    got.insert(got.end(), rest.begin(), rest.begin() + 120);
    EXPECT_EQ(got, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 170));
    EXPECT_THAT(device.readSizes, ::testing::Each(::testing::Le(100u)));
    EXPECT_THAT(device.conversation(), ::testing::Contains("cancelIo"));
}

TEST_F(SerialPortTest, CloseWaitsForTheReaderBeforeTheDeviceGoesAndLaterCallsDoNothing) {
    {
        std::lock_guard lock(device.mutex);
        device.holdPolls = true; // the reader is inside the device when close starts
    }
    ASSERT_TRUE(device.waitForPolls(1));
    driver.close();
    EXPECT_FALSE(device.isOpen);
    EXPECT_FALSE(device.destroyedDuringPoll);
    device.holdPolls = false;
    device.feed({1, 2, 3});
    uint8_t buffer[3] = {};
    EXPECT_EQ(driver.read(buffer, 3, 0), 0);
    EXPECT_EQ(driver.write(buffer, 3), 0);
    // Open again: a fresh reader picks up where the device is.
    ASSERT_EQ(driver.open(0), 1);
    ASSERT_TRUE(device.waitForPolls(2));
    EXPECT_EQ(driver.read(buffer, 3, 0), 3);
}
} // namespace
