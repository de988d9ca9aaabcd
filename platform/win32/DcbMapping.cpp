#include "platform/win32/DcbMapping.h"

void applyLineSettings(const SerialLineSettings& s, DCB& dcb) {
    dcb.BaudRate = s.baudRate;
    dcb.ByteSize = s.byteSize;
    dcb.Parity = s.parity;
    dcb.StopBits = s.stopBits;
    dcb.fParity = s.checkParity ? 1 : 0;
    dcb.fOutxCtsFlow = s.outxCtsFlow ? 1 : 0;
    dcb.fOutxDsrFlow = s.outxDsrFlow ? 1 : 0;
    dcb.fDtrControl = static_cast<DWORD>(s.dtrControl);
    dcb.fRtsControl = static_cast<DWORD>(s.rtsControl);
    dcb.fOutX = s.outX ? 1 : 0;
    dcb.fInX = s.inX ? 1 : 0;
    dcb.fDsrSensitivity = s.dsrSensitivity ? 1 : 0;
    dcb.fTXContinueOnXoff = s.txContinueOnXoff ? 1 : 0;
    dcb.fNull = s.discardNulls ? 1 : 0;
}

SerialLineSettings lineSettingsFrom(const DCB& dcb) {
    SerialLineSettings s;
    s.baudRate = dcb.BaudRate;
    s.byteSize = dcb.ByteSize;
    s.parity = dcb.Parity;
    s.stopBits = dcb.StopBits;
    s.checkParity = dcb.fParity != 0;
    s.outxCtsFlow = dcb.fOutxCtsFlow != 0;
    s.outxDsrFlow = dcb.fOutxDsrFlow != 0;
    s.dtrControl = static_cast<DtrControl>(dcb.fDtrControl);
    s.rtsControl = static_cast<RtsControl>(dcb.fRtsControl);
    s.outX = dcb.fOutX != 0;
    s.inX = dcb.fInX != 0;
    s.dsrSensitivity = dcb.fDsrSensitivity != 0;
    s.txContinueOnXoff = dcb.fTXContinueOnXoff != 0;
    s.discardNulls = dcb.fNull != 0;
    return s;
}

COMMTIMEOUTS toCommTimeouts(const CommTimeouts& t) {
    COMMTIMEOUTS c{};
    c.ReadIntervalTimeout = t.readIntervalTimeout;
    c.ReadTotalTimeoutMultiplier = t.readTotalTimeoutMultiplier;
    c.ReadTotalTimeoutConstant = t.readTotalTimeoutConstant;
    c.WriteTotalTimeoutMultiplier = t.writeTotalTimeoutMultiplier;
    c.WriteTotalTimeoutConstant = t.writeTotalTimeoutConstant;
    return c;
}
