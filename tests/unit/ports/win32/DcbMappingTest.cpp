#include "platform/win32/DcbMapping.h"

#include <gtest/gtest.h>

namespace {
// A DCB as GetCommState might return it, with the fields the port must leave alone set.
DCB deviceState() {
    DCB d{};
    d.DCBlength = sizeof(DCB);
    d.fBinary = 1;
    d.fErrorChar = 1;
    d.fAbortOnError = 1;
    d.XonLim = 2048;
    d.XoffLim = 512;
    d.XonChar = 0x11;
    d.XoffChar = 0x13;
    d.ErrorChar = '?';
    d.EofChar = 0x1A;
    d.EvtChar = 0x7E;
    d.fOutX = 1;
    d.fNull = 1;
    d.fDsrSensitivity = 1;
    return d;
}

void expectUntouched(const DCB& d) {
    EXPECT_EQ(d.DCBlength, sizeof(DCB));
    EXPECT_EQ(d.fBinary, 1u);
    EXPECT_EQ(d.fErrorChar, 1u);
    EXPECT_EQ(d.fAbortOnError, 1u);
    EXPECT_EQ(d.XonLim, 2048);
    EXPECT_EQ(d.XoffLim, 512);
    EXPECT_EQ(d.XonChar, 0x11);
    EXPECT_EQ(d.XoffChar, 0x13);
    EXPECT_EQ(d.ErrorChar, '?');
    EXPECT_EQ(d.EofChar, 0x1A);
    EXPECT_EQ(d.EvtChar, 0x7E);
}

TEST(DcbMappingTest, DtrDsrFields) {
    SerialLineSettings s;
    s.baudRate = 57600;
    s.byteSize = 7;
    s.parity = EVENPARITY;
    s.stopBits = TWOSTOPBITS;
    s.checkParity = true;
    s.outxDsrFlow = true;
    s.dtrControl = DtrControl::Handshake;
    s.rtsControl = RtsControl::Disable;
    DCB d = deviceState();
    applyLineSettings(s, d);
    EXPECT_EQ(d.BaudRate, 57600u);
    EXPECT_EQ(d.ByteSize, 7);
    EXPECT_EQ(d.Parity, EVENPARITY);
    EXPECT_EQ(d.StopBits, TWOSTOPBITS);
    EXPECT_EQ(d.fParity, 1u);
    EXPECT_EQ(d.fOutxCtsFlow, 0u);
    EXPECT_EQ(d.fOutxDsrFlow, 1u);
    EXPECT_EQ(d.fDtrControl, static_cast<DWORD>(DTR_CONTROL_HANDSHAKE));
    EXPECT_EQ(d.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
    EXPECT_EQ(d.fOutX, 0u);
    EXPECT_EQ(d.fInX, 0u);
    EXPECT_EQ(d.fDsrSensitivity, 0u);
    EXPECT_EQ(d.fTXContinueOnXoff, 0u);
    EXPECT_EQ(d.fNull, 0u);
    expectUntouched(d);
}

TEST(DcbMappingTest, XonXoffFieldsAndTheWayBack) {
    SerialLineSettings s;
    s.baudRate = 115200;
    s.byteSize = 8;
    s.outxCtsFlow = true;
    s.dtrControl = DtrControl::Disable;
    s.rtsControl = RtsControl::Handshake;
    s.outX = true;
    s.inX = true;
    DCB d = deviceState();
    applyLineSettings(s, d);
    EXPECT_EQ(d.fParity, 0u);
    EXPECT_EQ(d.fOutxCtsFlow, 1u);
    EXPECT_EQ(d.fOutxDsrFlow, 0u);
    EXPECT_EQ(d.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
    EXPECT_EQ(d.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
    EXPECT_EQ(d.fOutX, 1u);
    EXPECT_EQ(d.fInX, 1u);
    expectUntouched(d);
    EXPECT_EQ(lineSettingsFrom(d), s);
}

TEST(DcbMappingTest, TimeoutsKeepTheirOrder) {
    const COMMTIMEOUTS c = toCommTimeouts(CommTimeouts{10, 10, 100, 5, 3000});
    EXPECT_EQ(c.ReadIntervalTimeout, 10u);
    EXPECT_EQ(c.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(c.ReadTotalTimeoutConstant, 100u);
    EXPECT_EQ(c.WriteTotalTimeoutMultiplier, 5u);
    EXPECT_EQ(c.WriteTotalTimeoutConstant, 3000u);
}
} // namespace
