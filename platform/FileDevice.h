#pragma once
// An open parallel or USB printer device doing plain synchronous transfers, owned
// exclusively: destroying the object closes the device.
#include "platform/DeviceTypes.h"

#include <atomic>
#include <cstdint>
#include <string>

class FileDevice {
  public:
    virtual ~FileDevice() = default;
    // Limits for later writes and reads as COMMTIMEOUTS gives them. Until called, writes wait
    // for the whole buffer and reads return as soon as some bytes arrived.
    virtual bool setTimeouts(const CommTimeouts& timeouts) = 0;
    virtual bool purge() = 0;
    virtual IoResult write(const uint8_t* data, uint32_t length) = 0;
    virtual IoResult read(uint8_t* buffer, uint32_t length) = 0;
    // A read that gives up after waitMs, or as soon as abandon becomes true (checked at least
    // every few milliseconds), so that a background reader can always be stopped.
    virtual IoResult readWithin(uint8_t* buffer, uint32_t length, uint32_t waitMs,
                                const std::atomic<bool>& abandon) = 0;
    virtual void cancelIo() = 0;
    // Why the last call above failed, naming the device; empty when unknown.
    virtual std::string lastErrorText() const { return {}; }
};
