#include "ports/ReceiveBuffer.h"
#include "ports/SerialLineRules.h"
#include "ports/WindowsFamily.h"

#include <gtest/gtest.h>

namespace {
TEST(WindowsFamilyTest, TellsTheNineXFamilyFromNt) {
    EXPECT_FALSE(isWindows9x(0x47BB0A06u)); // Vista and later builds
    EXPECT_FALSE(isWindows9x(0x00010004u)); // any NT value with a non-zero build
    EXPECT_TRUE(isWindows9x(0x00000004u));  // NT bit pattern with no build number
    EXPECT_TRUE(isWindows9x(0xC0000A04u));  // Windows 98
    EXPECT_TRUE(isWindows9x(0x80008003u));  // bit 15 alone does not count as a build
}

TEST(SerialLineRulesTest, DtrDsrChoice) {
    PortSettings p;
    p.baudRate = 19200;
    p.dataBits = 7;
    p.parity = 2;
    p.stopBits = 2;
    p.handshake = kHandshakeDtrDsr;
    SerialLineSettings current;
    current.outX = true;
    current.inX = true;
    current.discardNulls = true;
    current.dsrSensitivity = true;
    current.txContinueOnXoff = true;
    const auto s = serialLineSettingsFor(p, current);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->baudRate, 19200u);
    EXPECT_EQ(s->byteSize, 7);
    EXPECT_EQ(s->parity, 2);
    EXPECT_EQ(s->stopBits, 2);
    EXPECT_TRUE(s->checkParity);
    EXPECT_FALSE(s->outxCtsFlow);
    EXPECT_TRUE(s->outxDsrFlow);
    EXPECT_EQ(s->dtrControl, DtrControl::Handshake);
    EXPECT_EQ(s->rtsControl, RtsControl::Disable);
    EXPECT_FALSE(s->outX);
    EXPECT_FALSE(s->inX);
    EXPECT_FALSE(s->dsrSensitivity);
    EXPECT_FALSE(s->txContinueOnXoff);
    EXPECT_FALSE(s->discardNulls);
}

TEST(SerialLineRulesTest, XonXoffChoiceAddsTheCtsRtsPair) {
    PortSettings p;
    p.baudRate = 115200;
    p.dataBits = 8;
    p.handshake = kHandshakeXonXoff;
    SerialLineSettings current;
    current.checkParity = true;
    const auto s = serialLineSettingsFor(p, current);
    ASSERT_TRUE(s.has_value());
    EXPECT_FALSE(s->checkParity); // parity 0
    EXPECT_TRUE(s->outxCtsFlow);
    EXPECT_FALSE(s->outxDsrFlow);
    EXPECT_EQ(s->dtrControl, DtrControl::Disable);
    EXPECT_EQ(s->rtsControl, RtsControl::Handshake);
    EXPECT_TRUE(s->outX);
    EXPECT_TRUE(s->inX);
}

TEST(SerialLineRulesTest, ReadinessLineFollowsTheHandshake) {
    EXPECT_TRUE(printerReady(kHandshakeDtrDsr, {true, false}));
    EXPECT_FALSE(printerReady(kHandshakeDtrDsr, {false, true}));
    EXPECT_TRUE(printerReady(kHandshakeXonXoff, {false, true}));
    EXPECT_FALSE(printerReady(kHandshakeXonXoff, {true, false}));
    EXPECT_FALSE(printerReady(2, {true, true}));
}

TEST(ReceiveBufferTest, NeverHoldsMoreThanItsCapacityAndKeepsArrivalOrder) {
    ReceiveBuffer buffer;
    buffer.allocate(5);
    const uint8_t in[7] = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(buffer.append(in, 7), 5u);
    EXPECT_EQ(buffer.append(in + 5, 2), 0u);
    uint8_t out[3] = {};
    EXPECT_EQ(buffer.take(out, 3), 3u);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(buffer.freeSpace(), 3u);
    EXPECT_EQ(buffer.append(in + 5, 2), 2u);
    uint8_t rest[8] = {};
    EXPECT_EQ(buffer.take(rest, 8), 4u);
    EXPECT_EQ(std::vector<uint8_t>(rest, rest + 4), std::vector<uint8_t>({4, 5, 6, 7}));
    // A new allocation (a reopened port) starts empty: no bytes from before it are delivered.
    EXPECT_EQ(buffer.append(in, 2), 2u);
    buffer.allocate(5);
    EXPECT_EQ(buffer.take(rest, 8), 0u);

    buffer.allocate(0); // a zero-sized buffer takes nothing
    EXPECT_EQ(buffer.append(in, 1), 0u);
}
} // namespace
