#pragma once
#include "platform/FileDevice.h"
#include "platform/posix/UniqueFd.h"

#include <string>

// A parallel (/dev/lp*) or USB printer (/dev/usb/lp*) device node.
class PosixFileDevice final : public FileDevice {
  public:
    // path names the device in failure reasons.
    PosixFileDevice(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

    bool setTimeouts(const CommTimeouts& timeouts) override;
    bool purge() override;
    IoResult write(const uint8_t* data, uint32_t length) override;
    IoResult read(uint8_t* buffer, uint32_t length) override;
    IoResult readWithin(uint8_t* buffer, uint32_t length, uint32_t waitMs,
                        const std::atomic<bool>& abandon) override;
    void cancelIo() override {}
    std::string lastErrorText() const override { return lastError_; }

  private:
    IoResult noted(IoResult result);

    UniqueFd fd_;
    std::string path_;
    std::string lastError_;
    CommTimeouts timeouts_;
    bool hasTimeouts_ = false;
};
