#include "platform/win32/Win32FileDevice.h"

#include "platform/win32/DcbMapping.h"
#include "platform/win32/OverlappedIo.h"

bool Win32FileDevice::setTimeouts(const CommTimeouts& timeouts) {
    COMMTIMEOUTS c = toCommTimeouts(timeouts);
    return SetCommTimeouts(handle_.get(), &c) != FALSE;
}

bool Win32FileDevice::purge() {
    return PurgeComm(handle_.get(),
                     PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE;
}

IoResult Win32FileDevice::write(const uint8_t* data, uint32_t length) {
    return transfer(handle_.get(), overlapped_, Transfer::Write, const_cast<uint8_t*>(data),
                    length);
}

IoResult Win32FileDevice::read(uint8_t* buffer, uint32_t length) {
    return transfer(handle_.get(), overlapped_, Transfer::Read, buffer, length);
}

IoResult Win32FileDevice::readWithin(uint8_t* buffer, uint32_t length, uint32_t waitMs,
                                     const std::atomic<bool>& abandon) {
    if (!overlapped_) {
        return transfer(handle_.get(), false, Transfer::Read, buffer, length);
    }
    return readOverlappedWithin(handle_.get(), buffer, length, waitMs, abandon);
}

void Win32FileDevice::cancelIo() {
    CancelIo(handle_.get());
}
