#pragma once
// A printer on a COM port. Writes retry until the printer has taken everything or 20 s have
// passed; a background reader keeps the receive buffer filled while the port is open, and
// read() only takes from that buffer.
#include "platform/Clock.h"
#include "platform/DeviceFactory.h"
#include "ports/PortSettings.h"
#include "ports/ReaderThread.h"
#include "ports/ReceiveBuffer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class SerialPort {
  public:
    static constexpr uint32_t kRetryDelayMs = 1500;
    static constexpr uint32_t kWriteLimitMs = 20000;
    static constexpr uint32_t kOpenSettleMs = 200;
    static constexpr uint32_t kPollOpenMs = 10;
    static constexpr uint32_t kPollClosedMs = 500;
    static constexpr uint32_t kMaxReadPerPoll = 100;

    SerialPort(DeviceFactory& devices, Clock& clock);
    virtual ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    int32_t configure(const PortSettings& settings);
    // The reader thread starts whatever startReader says.
    int32_t open(int32_t startReader);
    int32_t write(const uint8_t* data, int32_t length);
    int32_t read(uint8_t* buffer, int32_t length, int32_t waitMs);
    void close();

    // One round of the reader thread: move what the device has queued (at most 100 bytes, and
    // no more than the receive buffer has room for) into the buffer. Returns the wait before
    // the next round.
    uint32_t pollReader();

    bool isOpen() const { return isOpen_; }
    size_t bufferedCount() const { return rxBuffer_.count(); }
    // Why the last configure, open or write fell short; empty when it did not.
    const std::string& lastErrorText() const { return lastError_; }

  private:
    void releaseDevice();
    // Notes why open failed (the device's own reason when it gave one) and lets the device go.
    int32_t openFailed(const std::string& fallback);

    DeviceFactory& devices_;
    Clock& clock_;
    ReaderThread readerThread_;
    ReceiveBuffer rxBuffer_;
    std::unique_ptr<SerialDevice> deviceHandle_;
    PortSettings settings_;
    int32_t readBufferSize_ = 0;
    std::atomic<bool> isOpen_{false};
    std::mutex txLock_;
    std::string lastError_;
};
