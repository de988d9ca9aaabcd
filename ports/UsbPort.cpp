#include "ports/UsbPort.h"

#include <algorithm>

UsbPort::UsbPort(DeviceFactory& devices) : devices_(devices) {}

UsbPort::~UsbPort() {
    close();
}

int32_t UsbPort::configure(const PortSettings& settings) {
    timeouts_ = settings.timeouts;
    readBufferSize_ = settings.readBufferSize;
    lastError_.clear();
    if (settings.portName.empty()) {
        lastError_ = "no USB printer was found (none attached of this model)";
        return 0;
    }
    portName_ = settings.portName;
    return 1;
}

int32_t UsbPort::open(int32_t startReader) {
    if (deviceHandle_) {
        return isOpen_ ? 1 : 0;
    }
    if (portName_.empty()) {
        return 0;
    }
    lastError_.clear();
    deviceHandle_ = devices_.openUsb(portName_);
    if (!deviceHandle_) {
        lastError_ = devices_.lastOpenError();
        if (lastError_.empty()) {
            lastError_ = portName_ + ": the printer cannot be opened";
        }
        return 0;
    }
    rxBuffer_.allocate(static_cast<size_t>(std::max(readBufferSize_, 0)));
    isOpen_ = true;
    readerEnabled_ = true;
    if (startReader != 0) {
        readerThread_.start([this] { return pollReader(); });
    }
    return 1;
}

int32_t UsbPort::write(const uint8_t* data, int32_t length) {
    if (!isOpen_ || data == nullptr || length <= 0) {
        return 0;
    }
    const auto total = static_cast<uint32_t>(length);
    uint32_t sent = 0;
    while (sent != total) {
        const uint32_t piece = std::min(total - sent, kMaxPiece);
        const IoResult result = deviceHandle_->write(data + sent, piece);
        // A driver that takes part of a piece gets the rest on the next round; one that takes
        // nothing while claiming success would otherwise loop for ever.
        if (!result.ok || result.count == 0) {
            lastError_ = deviceHandle_->lastErrorText();
            if (lastError_.empty()) {
                lastError_ = portName_ + ": the printer took no data";
            }
            return 0;
        }
        sent += std::min(result.count, piece);
    }
    return length;
}

int32_t UsbPort::read(uint8_t* buffer, int32_t length, int32_t /*waitMs*/) {
    if (!isOpen_ || buffer == nullptr || length <= 0) {
        return 0;
    }
    const IoResult result = deviceHandle_->read(buffer, static_cast<uint32_t>(length));
    return static_cast<int32_t>(std::min<uint32_t>(result.count, static_cast<uint32_t>(length)));
}

void UsbPort::close() {
    readerThread_.stop();
    if (deviceHandle_) {
        deviceHandle_->cancelIo();
        deviceHandle_.reset();
    }
    rxBuffer_.release();
    isOpen_ = false;
}

uint32_t UsbPort::pollReader() {
    if (!isOpen_ || !readerEnabled_) {
        return kPollClosedMs;
    }
    const auto room =
        static_cast<uint32_t>(std::min<size_t>(rxBuffer_.freeSpace(), kMaxReadPerPoll));
    if (room > 0) {
        uint8_t local[kMaxReadPerPoll];
        const IoResult got =
            deviceHandle_->readWithin(local, room, kReaderWaitMs, readerThread_.stopRequested());
        if (got.count > 0) {
            rxBuffer_.append(local, std::min(got.count, room));
        } else if (!got.ok) {
            deviceHandle_->cancelIo();
        }
    }
    return kPollOpenMs;
}
