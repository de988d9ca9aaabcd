#include "platform/posix/TermiosMapping.h"

#include <gtest/gtest.h>

namespace {
termios cooked() {
    termios t{};
    t.c_iflag = ICRNL | IXON | BRKINT;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ECHO | ICANON | ISIG;
    t.c_cflag = CS7 | PARENB | CRTSCTS;
    t.c_cc[VMIN] = 1;
    return t;
}

SerialLineSettings settings(uint32_t baud, uint8_t bits, uint8_t parity, uint8_t stop) {
    SerialLineSettings s;
    s.baudRate = baud;
    s.byteSize = bits;
    s.parity = parity;
    s.stopBits = stop;
    s.checkParity = parity != 0;
    return s;
}

TEST(TermiosMappingTest, DtrDsrIsARawLineWithoutFlowControl) {
    termios t = cooked();
    SerialLineSettings s = settings(9600, 8, 0, 0);
    s.outxDsrFlow = true;
    s.dtrControl = DtrControl::Handshake;
    s.rtsControl = RtsControl::Disable;
    ASSERT_TRUE(applyLineSettings(s, t));
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(cfgetispeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_NE(t.c_cflag & CREAD, 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INPCK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
}

TEST(TermiosMappingTest, XonXoffIsSoftwareFlowBothWaysPlusRtsCts) {
    termios t{};
    SerialLineSettings s = settings(115200, 8, 0, 0);
    s.outxCtsFlow = true;
    s.rtsControl = RtsControl::Handshake;
    s.outX = true;
    s.inX = true;
    ASSERT_TRUE(applyLineSettings(s, t));
    EXPECT_EQ(cfgetospeed(&t), B115200);
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    EXPECT_NE(t.c_iflag & IXON, 0u);
    EXPECT_NE(t.c_iflag & IXOFF, 0u);
    // And back: the record reads as it was written.
    const SerialLineSettings back = lineSettingsFrom(t);
    EXPECT_EQ(back.baudRate, 115200u);
    EXPECT_TRUE(back.outxCtsFlow);
    EXPECT_TRUE(back.outX);
    EXPECT_TRUE(back.inX);
}

TEST(TermiosMappingTest, ParityDataAndStopBits) {
    struct Case {
        uint8_t parity;
        tcflag_t flags;
    };
    for (const Case& c : {Case{1, PARENB | PARODD}, Case{2, PARENB},
                          Case{3, PARENB | PARODD | CMSPAR}, Case{4, PARENB | CMSPAR}}) {
        termios t{};
        ASSERT_TRUE(applyLineSettings(settings(2400, 7, c.parity, 2), t));
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.flags) << int(c.parity);
        EXPECT_NE(t.c_iflag & INPCK, 0u);
        EXPECT_NE(t.c_cflag & CSTOPB, 0u);
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
        EXPECT_EQ(lineSettingsFrom(t).parity, c.parity);
    }
    termios five{};
    ASSERT_TRUE(applyLineSettings(settings(4800, 5, 0, 1), five)); // 1.5 stop bits
    EXPECT_EQ(five.c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
    EXPECT_NE(five.c_cflag & CSTOPB, 0u);
}

TEST(TermiosMappingTest, UnexpressibleSettingsAreRefused) {
    termios t{};
    EXPECT_FALSE(applyLineSettings(settings(12345, 8, 0, 0), t));
    EXPECT_FALSE(applyLineSettings(settings(0, 8, 0, 0), t));
    EXPECT_FALSE(applyLineSettings(settings(9600, 9, 0, 0), t));
    EXPECT_FALSE(applyLineSettings(settings(9600, 4, 0, 0), t));
    EXPECT_FALSE(applyLineSettings(settings(9600, 8, 5, 0), t));
    EXPECT_FALSE(applyLineSettings(settings(9600, 8, 0, 3), t));
    for (uint32_t baud : {2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
        EXPECT_TRUE(applyLineSettings(settings(baud, 8, 0, 0), t)) << baud;
        EXPECT_EQ(baudRateForSpeed(cfgetospeed(&t)), baud);
    }
}
} // namespace
