#include "platform/win32/DcbMapping.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
// A DCB as GetCommState might return it: fields the port must leave alone are set, and so are
// flow-control flags that neither handshake wants.
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
    d.fTXContinueOnXoff = 1;
    return d;
}

// The DCB after the settings are laid over deviceState(), compared whole, then read back.
void expectMapping(const SerialLineSettings& s, const DCB& expected) {
    DCB d = deviceState();
    applyLineSettings(s, d);
    EXPECT_EQ(std::memcmp(&d, &expected, sizeof d), 0) << "DCB differs";
    EXPECT_EQ(lineSettingsFrom(d), s);
}

TEST(DcbMappingTest, ChosenFieldsAreSetAndTheRestKept) {
    DCB dtrDsr = deviceState();
    dtrDsr.BaudRate = 57600;
    dtrDsr.ByteSize = 7;
    dtrDsr.Parity = EVENPARITY;
    dtrDsr.StopBits = TWOSTOPBITS;
    dtrDsr.fParity = 1;
    dtrDsr.fOutxDsrFlow = 1;
    dtrDsr.fDtrControl = DTR_CONTROL_HANDSHAKE;
    dtrDsr.fRtsControl = RTS_CONTROL_DISABLE;
    dtrDsr.fOutX = dtrDsr.fNull = dtrDsr.fDsrSensitivity = dtrDsr.fTXContinueOnXoff = 0;
    expectMapping({.baudRate = 57600,
                   .byteSize = 7,
                   .parity = EVENPARITY,
                   .stopBits = TWOSTOPBITS,
                   .checkParity = true,
                   .outxDsrFlow = true,
                   .dtrControl = DtrControl::Handshake,
                   .rtsControl = RtsControl::Disable},
                  dtrDsr);

    DCB xonXoff = deviceState();
    xonXoff.BaudRate = 115200;
    xonXoff.ByteSize = 8;
    xonXoff.fOutxCtsFlow = 1;
    xonXoff.fDtrControl = DTR_CONTROL_DISABLE;
    xonXoff.fRtsControl = RTS_CONTROL_HANDSHAKE;
    xonXoff.fInX = 1;
    xonXoff.fNull = xonXoff.fDsrSensitivity = xonXoff.fTXContinueOnXoff = 0;
    expectMapping({.baudRate = 115200,
                   .outxCtsFlow = true,
                   .dtrControl = DtrControl::Disable,
                   .rtsControl = RtsControl::Handshake,
                   .outX = true,
                   .inX = true},
                  xonXoff);
}

// Interval, read multiplier and constant, write multiplier and constant: COMMTIMEOUTS's order.
TEST(DcbMappingTest, TimeoutsKeepTheirOrder) {
    const COMMTIMEOUTS c = toCommTimeouts(CommTimeouts{10, 20, 100, 5, 3000});
    const COMMTIMEOUTS expected{10, 20, 100, 5, 3000};
    EXPECT_EQ(std::memcmp(&c, &expected, sizeof c), 0);
}
} // namespace
