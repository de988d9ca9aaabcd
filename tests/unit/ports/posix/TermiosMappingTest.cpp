#include "platform/posix/TermiosMapping.h"

#include <gtest/gtest.h>

namespace {
SerialLineSettings settings(uint32_t baud, uint8_t bits, uint8_t parity, uint8_t stop) {
    return {.baudRate = baud,
            .byteSize = bits,
            .parity = parity,
            .stopBits = stop,
            .checkParity = parity != 0};
}

// Whatever the terminal was set to, the line becomes raw: no echo, no line editing, no
// character translation, reads that never block.
TEST(TermiosMappingTest, HandshakeGivesARawLineWithItsFlowControl) {
    SerialLineSettings dtrDsr = settings(9600, 8, 0, 0);
    dtrDsr.outxDsrFlow = true;
    dtrDsr.dtrControl = DtrControl::Handshake;
    dtrDsr.rtsControl = RtsControl::Disable;
    SerialLineSettings xonXoff = settings(115200, 8, 0, 0);
    xonXoff.outxCtsFlow = true;
    xonXoff.rtsControl = RtsControl::Handshake;
    xonXoff.outX = xonXoff.inX = true;
    for (const auto& [s, flow, soft] :
         {std::tuple{dtrDsr, tcflag_t{0}, tcflag_t{0}},
          std::tuple{xonXoff, tcflag_t{CRTSCTS}, tcflag_t{IXON | IXOFF}}}) {
        SCOPED_TRACE(s.baudRate);
        termios t{};
        t.c_iflag = ICRNL | IXON | IXOFF | BRKINT;
        t.c_oflag = OPOST | ONLCR;
        t.c_lflag = ECHO | ICANON | ISIG;
        t.c_cflag = CS7 | PARENB | CRTSCTS;
        t.c_cc[VMIN] = 1;
        ASSERT_TRUE(applyLineSettings(s, t));
        EXPECT_EQ(cfgetispeed(&t), cfgetospeed(&t));
        EXPECT_EQ(baudRateForSpeed(cfgetospeed(&t)), s.baudRate);
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CREAD | CLOCAL),
                  CS8 | CREAD | CLOCAL | flow);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INPCK), soft);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_lflag & (ECHO | ICANON | ISIG), 0u);
        EXPECT_EQ(t.c_cc[VMIN], 0);
    }
}

TEST(TermiosMappingTest, LineFormatsAndSpeedsMapAndUnexpressibleOnesAreRefused) {
    const std::pair<uint8_t, tcflag_t> cases[] = {
        {1, PARENB | PARODD}, {2, PARENB}, {3, PARENB | PARODD | CMSPAR}, {4, PARENB | CMSPAR}};
    for (const auto& [parity, flags] : cases) {
        termios t{};
        ASSERT_TRUE(applyLineSettings(settings(2400, 7, parity, 2), t));
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR | CSTOPB | CSIZE), flags | CSTOPB | CS7)
            << int(parity);
        EXPECT_NE(t.c_iflag & INPCK, 0u);
        EXPECT_EQ(lineSettingsFrom(t).parity, parity);
    }
    termios t{};
    ASSERT_TRUE(applyLineSettings(settings(4800, 5, 0, 1), t)); // 1.5 stop bits
    EXPECT_EQ(t.c_cflag & (CSIZE | CSTOPB), CS5 | CSTOPB);
    // What termios cannot express is refused.
    for (const SerialLineSettings& bad :
         {settings(12345, 8, 0, 0), settings(0, 8, 0, 0), settings(9600, 9, 0, 0),
          settings(9600, 4, 0, 0), settings(9600, 8, 5, 0), settings(9600, 8, 0, 3)}) {
        EXPECT_FALSE(applyLineSettings(bad, t)) << bad.baudRate << " " << int(bad.byteSize);
    }
    for (uint32_t baud : {2400u, 4800u, 19200u, 38400u, 57600u}) {
        EXPECT_TRUE(applyLineSettings(settings(baud, 8, 0, 0), t)) << baud;
        EXPECT_EQ(baudRateForSpeed(cfgetospeed(&t)), baud);
    }
}
} // namespace
