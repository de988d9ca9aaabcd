#pragma once
// A printer on an LPT port: synchronous writes and reads under the configured timeouts, no
// receive buffer and no thread.
#include "platform/DeviceFactory.h"
#include "platform/DeviceTypes.h"
#include "ports/PortSettings.h"

#include <cstdint>
#include <memory>
#include <string>

class ParallelPort {
  public:
    // windows9x: the host is Windows 95/98/Me, whose parallel driver needs longer read timeouts.
    ParallelPort(DeviceFactory& devices, bool windows9x);
    virtual ~ParallelPort();
    ParallelPort(const ParallelPort&) = delete;
    ParallelPort& operator=(const ParallelPort&) = delete;

    int32_t configure(const PortSettings& settings);
    int32_t open(int32_t startReader);
    int32_t write(const uint8_t* data, int32_t length);
    int32_t read(uint8_t* buffer, int32_t length, int32_t waitMs);
    void close();

    bool isOpen() const { return isOpen_; }
    const CommTimeouts& timeouts() const { return timeouts_; }
    // Why the last configure, open or write fell short; empty when it did not.
    const std::string& lastErrorText() const { return lastError_; }

  private:
    DeviceFactory& devices_;
    bool windows9x_;
    std::string portName_;
    CommTimeouts timeouts_;
    int32_t readBufferSize_ = 0;
    std::unique_ptr<FileDevice> deviceHandle_;
    bool isOpen_ = false;
    std::string lastError_;
};
