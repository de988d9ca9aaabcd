#include "ports/ParallelPort.h"

#include "platform/DevicePaths.h"

#include <algorithm>

ParallelPort::ParallelPort(DeviceFactory& devices, bool windows9x)
    : devices_(devices), windows9x_(windows9x) {}

ParallelPort::~ParallelPort() {
    close();
}

int32_t ParallelPort::configure(const PortSettings& settings) {
    timeouts_ = settings.timeouts;
    readBufferSize_ = settings.readBufferSize;
    lastError_.clear();
    if (settings.portName.rfind("LPT", 0) != 0 &&
        devicePathKind(settings.portName) != DevicePathKind::Parallel) {
        lastError_ = settings.portName + ": not a parallel port name";
        return 0;
    }
    portName_ = settings.portName;
    return 1;
}

int32_t ParallelPort::open(int32_t /*startReader*/) {
    if (deviceHandle_) {
        return isOpen_ ? 1 : 0;
    }
    if (portName_.empty()) {
        return 0;
    }
    lastError_.clear();
    deviceHandle_ = devices_.openParallel(portName_);
    if (!deviceHandle_) {
        lastError_ = devices_.lastOpenError();
        if (lastError_.empty()) {
            lastError_ = portName_ + ": the port cannot be opened";
        }
        return 0;
    }
    if (windows9x_) {
        timeouts_.readIntervalTimeout = 100;
        timeouts_.readTotalTimeoutMultiplier = 100;
        timeouts_.readTotalTimeoutConstant = 100;
    }
    // Some parallel drivers refuse timeouts or purge; the port works without them.
    deviceHandle_->setTimeouts(timeouts_);
    deviceHandle_->purge();
    isOpen_ = true;
    return 1;
}

int32_t ParallelPort::write(const uint8_t* data, int32_t length) {
    if (!isOpen_ || data == nullptr || length <= 0) {
        return 0;
    }
    const IoResult result = deviceHandle_->write(data, static_cast<uint32_t>(length));
    const auto sent = std::min<uint32_t>(result.count, static_cast<uint32_t>(length));
    if (sent < static_cast<uint32_t>(length)) {
        lastError_ = deviceHandle_->lastErrorText();
        if (lastError_.empty()) {
            lastError_ = portName_ + ": the printer took no data in time";
        }
    }
    return static_cast<int32_t>(sent);
}

int32_t ParallelPort::read(uint8_t* buffer, int32_t length, int32_t /*waitMs*/) {
    if (!isOpen_ || buffer == nullptr || length <= 0) {
        return 0;
    }
    const IoResult result = deviceHandle_->read(buffer, static_cast<uint32_t>(length));
    if (!result.ok) {
        return 0;
    }
    return static_cast<int32_t>(std::min<uint32_t>(result.count, static_cast<uint32_t>(length)));
}

void ParallelPort::close() {
    if (deviceHandle_) {
        deviceHandle_->cancelIo();
        deviceHandle_.reset();
    }
    isOpen_ = false;
}
