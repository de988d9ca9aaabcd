#include "platform/win32/Win32SerialDevice.h"

#include "platform/win32/DcbMapping.h"
#include "platform/win32/OverlappedIo.h"

bool Win32SerialDevice::readState() {
    dcb_ = DCB{};
    dcb_.DCBlength = sizeof(DCB);
    haveDcb_ = GetCommState(handle_.get(), &dcb_) != FALSE;
    return haveDcb_;
}

bool Win32SerialDevice::getLineSettings(SerialLineSettings& settings) {
    if (!readState()) {
        return false;
    }
    settings = lineSettingsFrom(dcb_);
    return true;
}

bool Win32SerialDevice::setLineSettings(const SerialLineSettings& settings) {
    if (!haveDcb_ && !readState()) {
        return false;
    }
    applyLineSettings(settings, dcb_);
    return SetCommState(handle_.get(), &dcb_) != FALSE;
}

bool Win32SerialDevice::modemStatus(ModemLines& lines) {
    DWORD status = 0;
    if (!GetCommModemStatus(handle_.get(), &status)) {
        return false;
    }
    lines.dsr = (status & MS_DSR_ON) != 0;
    lines.cts = (status & MS_CTS_ON) != 0;
    return true;
}

bool Win32SerialDevice::setTimeouts(const CommTimeouts& timeouts) {
    COMMTIMEOUTS c = toCommTimeouts(timeouts);
    return SetCommTimeouts(handle_.get(), &c) != FALSE;
}

bool Win32SerialDevice::purge() {
    return PurgeComm(handle_.get(),
                     PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE;
}

bool Win32SerialDevice::inputQueued(uint32_t& count) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_.get(), &errors, &status)) {
        return false;
    }
    count = status.cbInQue;
    return true;
}

IoResult Win32SerialDevice::write(const uint8_t* data, uint32_t length) {
    return transfer(handle_.get(), true, Transfer::Write, const_cast<uint8_t*>(data), length);
}

IoResult Win32SerialDevice::read(uint8_t* buffer, uint32_t length) {
    return transfer(handle_.get(), true, Transfer::Read, buffer, length);
}

void Win32SerialDevice::cancelIo() {
    CancelIo(handle_.get());
}
