#pragma once
// A printer on a USB device interface: synchronous writes in pieces of at most 4096 bytes and
// synchronous reads. A background reader runs only when open() asks for it.
#include "platform/DeviceFactory.h"
#include "platform/DeviceTypes.h"
#include "ports/PortSettings.h"
#include "ports/ReaderThread.h"
#include "ports/ReceiveBuffer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class UsbPort {
  public:
    static constexpr uint32_t kMaxPiece = 4096;
    static constexpr uint32_t kReaderWaitMs = 5000;
    static constexpr uint32_t kPollOpenMs = 10;
    static constexpr uint32_t kPollClosedMs = 500;
    static constexpr uint32_t kMaxReadPerPoll = 100;

    explicit UsbPort(DeviceFactory& devices);
    virtual ~UsbPort();
    UsbPort(const UsbPort&) = delete;
    UsbPort& operator=(const UsbPort&) = delete;

    int32_t configure(const PortSettings& settings);
    int32_t open(int32_t startReader);
    int32_t write(const uint8_t* data, int32_t length);
    int32_t read(uint8_t* buffer, int32_t length, int32_t waitMs);
    void close();

    // One round of the reader thread (see SerialPort::pollReader).
    uint32_t pollReader();

    bool isOpen() const { return isOpen_; }
    bool readerRunning() const { return readerThread_.running(); }
    size_t bufferedCount() const { return rxBuffer_.count(); }
    // Why the last configure, open or write fell short; empty when it did not.
    const std::string& lastErrorText() const { return lastError_; }

  private:
    DeviceFactory& devices_;
    ReaderThread readerThread_;
    ReceiveBuffer rxBuffer_;
    std::unique_ptr<FileDevice> deviceHandle_;
    std::string portName_;
    CommTimeouts timeouts_; // kept, never applied: USB printer drivers ignore them
    int32_t readBufferSize_ = 0;
    std::atomic<bool> isOpen_{false};
    std::atomic<bool> readerEnabled_{false};
    std::string lastError_;
};
