#include "platform/posix/PosixFileDevice.h"

#include "platform/posix/DeviceErrorText.h"
#include "platform/posix/FdTransfer.h"

bool PosixFileDevice::setTimeouts(const CommTimeouts& timeouts) {
    timeouts_ = timeouts;
    hasTimeouts_ = true;
    return true;
}

// Printer device nodes keep no input or output queue that user space could drop.
bool PosixFileDevice::purge() {
    return true;
}

IoResult PosixFileDevice::noted(IoResult result) {
    if (!result.ok) {
        lastError_ = deviceErrorReason(path_, result.nativeError);
    }
    return result;
}

IoResult PosixFileDevice::write(const uint8_t* data, uint32_t length) {
    return noted(writeFd(fd_.get(), data, length, writeLimitMs(timeouts_, length, hasTimeouts_)));
}

IoResult PosixFileDevice::read(uint8_t* buffer, uint32_t length) {
    return readFd(fd_.get(), buffer, length, readPlanFor(timeouts_, length, hasTimeouts_));
}

IoResult PosixFileDevice::readWithin(uint8_t* buffer, uint32_t length, uint32_t waitMs,
                                     const std::atomic<bool>& abandon) {
    ReadPlan plan;
    plan.returnOnAnyByte = true;
    plan.totalMs = waitMs;
    return readFd(fd_.get(), buffer, length, plan, &abandon);
}
