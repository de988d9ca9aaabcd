#include "ports/PortDriver.h"
#include "ports/SerialLineRules.h"
#include "support/PortFakes.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {
using Calls = std::vector<std::string>;

class SerialPortTest : public ::testing::Test {
  protected:
    SerialPortTest() {
        settings.portName = "\\\\.\\COM12";
        settings.baudRate = 38400;
        settings.dataBits = 8;
        settings.handshake = kHandshakeDtrDsr;
        settings.timeouts = {1, 2, 3, 4, 5}; // must not reach the device
        settings.readBufferSize = 120;
    }
    int32_t configureAndOpen() {
        EXPECT_EQ(driver.configure(settings), 1);
        return driver.open(0);
    }
    static std::vector<uint8_t> sequence(size_t n) {
        std::vector<uint8_t> v(n);
        std::iota(v.begin(), v.end(), uint8_t{0});
        return v;
    }

    FakeDeviceFactory devices;
    FakeClock clock;
    PortDriver driver{devices, clock};
    PortSettings settings;
};

TEST_F(SerialPortTest, OpenAppliesLineSettingsAndFixedTimeoutsInOrder) {
    ASSERT_EQ(configureAndOpen(), 1);
    EXPECT_EQ(devices.serial.conversation(),
              (Calls{"open \\\\.\\COM12", "getLineSettings", "setLineSettings", "modemStatus",
                     "setTimeouts", "purge"}));
    EXPECT_EQ(clock.sleeps(), std::vector<uint32_t>{200});
    ASSERT_TRUE(devices.serial.applied.has_value());
    EXPECT_EQ(devices.serial.applied->baudRate, 38400u);
    EXPECT_TRUE(devices.serial.applied->outxDsrFlow);
    EXPECT_EQ(devices.serial.timeouts, (CommTimeouts{10, 10, 100, 5, 3000}));
}

TEST_F(SerialPortTest, OpenFailuresReleaseTheDevice) {
    struct Case {
        const char* what;
        void (*spoil)(FakeSerialState&, PortSettings&);
    };
    const Case cases[] = {
        {"printer off, DTR/DSR",
         [](FakeSerialState& s, PortSettings&) {
             s.lines = {false, true};
         }},
        {"printer off, XON/XOFF",
         [](FakeSerialState& s, PortSettings& p) {
             s.lines = {true, false};
             p.handshake = kHandshakeXonXoff;
         }},
        {"unknown handshake", [](FakeSerialState&, PortSettings& p) { p.handshake = 2; }},
        {"no line state", [](FakeSerialState& s, PortSettings&) { s.getOk = false; }},
        {"line state refused", [](FakeSerialState& s, PortSettings&) { s.setOk = false; }},
        {"no modem status", [](FakeSerialState& s, PortSettings&) { s.modemOk = false; }},
        {"timeouts refused", [](FakeSerialState& s, PortSettings&) { s.timeoutsOk = false; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDeviceFactory fresh;
        FakeClock freshClock;
        PortDriver port(fresh, freshClock);
        PortSettings p = settings;
        c.spoil(fresh.serial, p);
        ASSERT_EQ(port.configure(p), 1);
        EXPECT_EQ(port.open(0), 0);
        EXPECT_FALSE(fresh.serial.isOpen);
        EXPECT_EQ(fresh.serial.conversation().back(), "close");
        uint8_t byte = 0;
        EXPECT_EQ(port.write(&byte, 1), 0);
    }
}

TEST_F(SerialPortTest, AbsentOrBusyDeviceFailsAfterTheSettleSleep) {
    devices.serial.openOk = false;
    EXPECT_EQ(configureAndOpen(), 0);
    EXPECT_EQ(clock.sleeps(), std::vector<uint32_t>{200});
    EXPECT_EQ(devices.serial.conversation(), (Calls{"open \\\\.\\COM12"}));
}

TEST_F(SerialPortTest, WriteAcceptedInTwoPartsCompletesOneRetryLater) {
    ASSERT_EQ(configureAndOpen(), 1);
    devices.serial.writeSteps = {{true, 1000}, {true, 4096}};
    const auto data = sequence(4096);
    EXPECT_EQ(driver.write(data.data(), 4096), 4096);
    EXPECT_EQ(devices.serial.writeSizes, (std::vector<uint32_t>{4096, 3096}));
    EXPECT_EQ(devices.serial.written, data);
    EXPECT_EQ(clock.sleeps(), (std::vector<uint32_t>{200, 1500}));
}

TEST_F(SerialPortTest, WriteGivesUpAfterTwentySecondsWithTheShortCount) {
    ASSERT_EQ(configureAndOpen(), 1);
    devices.serial.writeSteps = {{true, 10}};
    devices.serial.defaultWrite = {true, 0};
    // Each attempt runs into the device's write timeout: 3000 ms plus 5 ms a byte.
    devices.serial.clock = &clock;
    devices.serial.writeMs = 3000 + 5 * 100;
    const auto data = sequence(100);
    EXPECT_EQ(driver.write(data.data(), 100), 10);
    // Attempts start at 0, 5000, 10000 and 15000 ms; after the last one 20000 ms have passed.
    EXPECT_EQ(devices.serial.writeSizes, (std::vector<uint32_t>{100, 90, 90, 90}));
    EXPECT_EQ(clock.sleeps(), (std::vector<uint32_t>{200, 1500, 1500, 1500, 1500}));
}

TEST_F(SerialPortTest, FailingDeviceStillEndsAtTheLimit) {
    // An unplugged adapter fails every attempt at once: retries stop after 20000 ms.
    ASSERT_EQ(configureAndOpen(), 1);
    devices.serial.defaultWrite = {false, 0};
    const uint8_t byte = 1;
    EXPECT_EQ(driver.write(&byte, 1), 0);
    EXPECT_EQ(devices.serial.writeSizes.size(), 14u); // at 0, 1500, ..., 19500 ms
    EXPECT_EQ(clock.tickCount(), 200u + 14 * 1500);
}

TEST_F(SerialPortTest, WriteAndReadRefuseBadArguments) {
    uint8_t byte = 0;
    ASSERT_EQ(driver.configure(settings), 1);
    EXPECT_EQ(driver.write(&byte, 1), 0); // not open
    ASSERT_EQ(driver.open(0), 1);
    EXPECT_EQ(driver.write(nullptr, 1), 0);
    EXPECT_EQ(driver.write(&byte, 0), 0);
    EXPECT_EQ(driver.write(&byte, -5), 0);
    EXPECT_EQ(driver.read(nullptr, 1, 10), 0);
    EXPECT_EQ(driver.read(&byte, 0, 10), 0);
    EXPECT_TRUE(devices.serial.writeSizes.empty());
    EXPECT_EQ(clock.sleeps(), std::vector<uint32_t>{200});
}

TEST_F(SerialPortTest, ReadSleepsOnceWhenShortAndReturnsWhatIsBuffered) {
    ASSERT_EQ(configureAndOpen(), 1);
    devices.serial.feed({1, 2, 3, 4, 5});
    ASSERT_TRUE(devices.serial.waitForPolls(2));
    uint8_t buffer[20] = {};
    EXPECT_EQ(driver.read(buffer, 20, 2000), 5);
    EXPECT_EQ(clock.sleeps(), (std::vector<uint32_t>{200, 2000}));
    EXPECT_EQ(buffer[4], 5);

    // Enough buffered: no sleep.
    devices.serial.feed({6, 7, 8});
    ASSERT_TRUE(devices.serial.waitForPolls(2));
    EXPECT_EQ(driver.read(buffer, 2, 2000), 2);
    EXPECT_EQ(clock.sleeps().size(), 2u);
    // A negative wait is no wait, not "forever".
    EXPECT_EQ(driver.read(buffer, 20, -1), 1);
    EXPECT_EQ(clock.sleeps().back(), 0u);
    EXPECT_EQ(buffer[0], 8);
}

TEST_F(SerialPortTest, ReaderStopsAtAFullBufferUntilReadMakesRoom) {
    ASSERT_EQ(configureAndOpen(), 1); // buffer of 120 bytes
    const auto bytes = sequence(250);
    devices.serial.feed(bytes);
    ASSERT_TRUE(devices.serial.waitForPolls(4));
    EXPECT_EQ(devices.serial.queued(), 130u); // left in the device, not dropped

    std::vector<uint8_t> got(50);
    ASSERT_EQ(driver.read(got.data(), 50, 0), 50);
    ASSERT_TRUE(devices.serial.waitForPolls(3));
    EXPECT_EQ(devices.serial.queued(), 80u);

    std::vector<uint8_t> rest(200);
    ASSERT_EQ(driver.read(rest.data(), 200, 0), 120);
    got.insert(got.end(), rest.begin(), rest.begin() + 120);
    EXPECT_EQ(got, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 170));
    for (uint32_t size : devices.serial.readSizes) {
        EXPECT_LE(size, 100u);
    }
}

TEST_F(SerialPortTest, FailedReaderReadCancelsTheTransfer) {
    ASSERT_EQ(configureAndOpen(), 1);
    {
        std::lock_guard lock(devices.serial.mutex);
        devices.serial.readOk = {false};
    }
    devices.serial.feed({9});
    ASSERT_TRUE(devices.serial.waitForPolls(3));
    const auto calls = devices.serial.conversation();
    EXPECT_EQ(calls.back(), "cancelIo");
    uint8_t byte = 0;
    EXPECT_EQ(driver.read(&byte, 1, 0), 1); // the byte stayed queued and came on a later poll
    EXPECT_EQ(byte, 9);
}

TEST_F(SerialPortTest, CloseWaitsForTheReaderBeforeTheDeviceGoesAndLaterCallsDoNothing) {
    ASSERT_EQ(configureAndOpen(), 1);
    {
        std::lock_guard lock(devices.serial.mutex);
        devices.serial.holdPolls = true; // the reader is inside the device when close starts
    }
    ASSERT_TRUE(devices.serial.waitForPolls(1));
    driver.close();
    EXPECT_FALSE(devices.serial.isOpen);
    EXPECT_FALSE(devices.serial.destroyedDuringPoll);
    devices.serial.holdPolls = false;
    const int polls = devices.serial.pollCount();
    devices.serial.feed({1, 2, 3});
    uint8_t buffer[3] = {};
    EXPECT_EQ(driver.read(buffer, 3, 0), 0);
    EXPECT_EQ(driver.write(buffer, 3), 0);
    EXPECT_EQ(devices.serial.pollCount(), polls);

    // Open again: a fresh reader picks up where the device is.
    ASSERT_EQ(driver.open(0), 1);
    ASSERT_TRUE(devices.serial.waitForPolls(2));
    EXPECT_EQ(driver.read(buffer, 3, 0), 3);
}
} // namespace
