#pragma once
#include "platform/SerialDevice.h"
#include "platform/posix/UniqueFd.h"

#include <string>

// A termios serial line (or a pseudo-terminal standing in for one).
class PosixSerialDevice final : public SerialDevice {
  public:
    // path names the device in failure reasons.
    PosixSerialDevice(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
    // Gives up exclusive use, which the terminal would otherwise keep while anyone else
    // (a bridge holding the other end open, say) still has it open.
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    bool getLineSettings(SerialLineSettings& settings) override;
    bool setLineSettings(const SerialLineSettings& settings) override;
    bool modemStatus(ModemLines& lines) override;
    bool setTimeouts(const CommTimeouts& timeouts) override;
    bool purge() override;
    bool inputQueued(uint32_t& count) override;
    IoResult write(const uint8_t* data, uint32_t length) override;
    IoResult read(uint8_t* buffer, uint32_t length) override;
    void cancelIo() override {}
    std::string lastErrorText() const override { return lastError_; }

  private:
    bool failed(int error);

    UniqueFd fd_;
    std::string path_;
    std::string lastError_;
    CommTimeouts timeouts_;
    bool hasTimeouts_ = false;
};
