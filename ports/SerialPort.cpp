#include "ports/SerialPort.h"

#include "platform/Interrupt.h"
#include "ports/SerialLineRules.h"

#include <algorithm>

SerialPort::SerialPort(DeviceFactory& devices, Clock& clock) : devices_(devices), clock_(clock) {}

SerialPort::~SerialPort() {
    close();
}

int32_t SerialPort::configure(const PortSettings& settings) {
    readBufferSize_ = settings.readBufferSize;
    lastError_.clear();
    if (settings.portName.empty()) {
        lastError_ = "no port name given";
        return 0;
    }
    settings_ = settings;
    return 1;
}

int32_t SerialPort::open(int32_t /*startReader*/) {
    if (deviceHandle_) {
        // Reopening: stop the old reader too, so only one thread ever reads the device.
        close();
    }
    lastError_.clear();
    deviceHandle_ = devices_.openSerial(settings_.portName);
    // The printer needs a moment after the port opens, whether or not it opened.
    clock_.sleepMs(kOpenSettleMs);
    const std::string& name = settings_.portName;
    if (!deviceHandle_) {
        lastError_ = devices_.lastOpenError();
        if (lastError_.empty()) {
            lastError_ = name + ": the port cannot be opened";
        }
        return 0;
    }
    SerialLineSettings line;
    if (!deviceHandle_->getLineSettings(line)) {
        return openFailed(name + ": the line settings cannot be read");
    }
    const auto wanted = serialLineSettingsFor(settings_, line);
    if (!wanted) {
        const bool knownHandshake =
            settings_.handshake == kHandshakeDtrDsr || settings_.handshake == kHandshakeXonXoff;
        return openFailed(knownHandshake
                              ? name + ": these line settings are out of range"
                              : name + ": handshake " + std::to_string(settings_.handshake) +
                                    " is not supported");
    }
    if (!deviceHandle_->setLineSettings(*wanted)) {
        return openFailed(name + ": the line settings were refused");
    }
    ModemLines lines;
    if (!deviceHandle_->modemStatus(lines)) {
        return openFailed(name + ": the modem lines cannot be read");
    }
    if (!printerReady(settings_.handshake, lines)) {
        // The device is fine; the printer is off, unplugged or wired without the line.
        lastError_ = name + ": the printer does not assert " +
                     (settings_.handshake == kHandshakeXonXoff ? "CTS" : "DSR") +
                     ": is it switched on and connected?";
        releaseDevice();
        return 0;
    }
    if (!deviceHandle_->setTimeouts(kSerialTimeouts)) {
        return openFailed(name + ": the timeouts were refused");
    }
    deviceHandle_->purge();
    rxBuffer_.allocate(static_cast<size_t>(std::max(readBufferSize_, 0)));
    isOpen_ = true;
    readerThread_.start([this] { return pollReader(); });
    return 1;
}

int32_t SerialPort::write(const uint8_t* data, int32_t length) {
    if (!isOpen_ || data == nullptr || length <= 0) {
        return 0;
    }
    const auto total = static_cast<uint32_t>(length);
    const uint32_t start = clock_.tickCount();
    uint32_t sent = 0;
    for (;;) {
        IoResult attempt;
        {
            std::lock_guard lock(txLock_);
            attempt = deviceHandle_->write(data + sent, total - sent);
        }
        sent += std::min(attempt.count, total - sent);
        if (attempt.ok && sent >= total) {
            break;
        }
        // A run that is being stopped gives up the retries: the short count ends the transfer.
        if (interruptRequested()) {
            break;
        }
        clock_.sleepMs(kRetryDelayMs);
        if (clock_.tickCount() - start >= kWriteLimitMs) {
            break;
        }
    }
    if (sent < total) {
        const std::string reason = deviceHandle_->lastErrorText();
        lastError_ = interruptRequested() ? settings_.portName + ": interrupted"
                     : !reason.empty()    ? reason
                                          : settings_.portName + ": the printer took no data for " +
                                             std::to_string(kWriteLimitMs / 1000) + " s";
    }
    return static_cast<int32_t>(sent);
}

int32_t SerialPort::read(uint8_t* buffer, int32_t length, int32_t waitMs) {
    if (!isOpen_ || buffer == nullptr || length <= 0) {
        return 0;
    }
    const auto wanted = static_cast<size_t>(length);
    if (rxBuffer_.count() < wanted) {
        // One wait only; a negative wait would otherwise be read as "forever".
        clock_.sleepMs(static_cast<uint32_t>(std::max(waitMs, 0)));
    }
    return static_cast<int32_t>(rxBuffer_.take(buffer, wanted));
}

void SerialPort::close() {
    readerThread_.stop();
    releaseDevice();
    rxBuffer_.release();
}

int32_t SerialPort::openFailed(const std::string& fallback) {
    const std::string reason = deviceHandle_->lastErrorText();
    lastError_ = reason.empty() ? fallback : reason;
    releaseDevice();
    return 0;
}

void SerialPort::releaseDevice() {
    isOpen_ = false;
    deviceHandle_.reset();
}

uint32_t SerialPort::pollReader() {
    if (!isOpen_) {
        return kPollClosedMs;
    }
    uint32_t queued = 0;
    if (!deviceHandle_->inputQueued(queued)) {
        queued = 0;
    }
    // A full buffer leaves the bytes in the device until read() makes room.
    const auto room =
        static_cast<uint32_t>(std::min<size_t>(rxBuffer_.freeSpace(), kMaxReadPerPoll));
    const uint32_t wanted = std::min(queued, room);
    if (wanted > 0) {
        uint8_t local[kMaxReadPerPoll];
        const IoResult got = deviceHandle_->read(local, wanted);
        if (got.count > 0) {
            rxBuffer_.append(local, std::min(got.count, wanted));
        } else if (!got.ok) {
            deviceHandle_->cancelIo();
        }
    }
    return kPollOpenMs;
}
