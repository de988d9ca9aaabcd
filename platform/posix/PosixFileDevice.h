#pragma once
#include "platform/FileDevice.h"
#include "platform/posix/UniqueFd.h"

// A parallel (/dev/lp*) or USB printer (/dev/usb/lp*) device node.
class PosixFileDevice final : public FileDevice {
  public:
    explicit PosixFileDevice(UniqueFd fd) : fd_(std::move(fd)) {}

    bool setTimeouts(const CommTimeouts& timeouts) override;
    bool purge() override;
    IoResult write(const uint8_t* data, uint32_t length) override;
    IoResult read(uint8_t* buffer, uint32_t length) override;
    IoResult readWithin(uint8_t* buffer, uint32_t length, uint32_t waitMs,
                        const std::atomic<bool>& abandon) override;
    void cancelIo() override {}

  private:
    UniqueFd fd_;
    CommTimeouts timeouts_;
    bool hasTimeouts_ = false;
};
