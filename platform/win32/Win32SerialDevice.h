#pragma once
#include "platform/SerialDevice.h"
#include "platform/win32/UniqueHandle.h"

// A COM port opened for overlapped I/O, so the port's writer and its reader thread can use
// the one handle at the same time.
class Win32SerialDevice final : public SerialDevice {
  public:
    explicit Win32SerialDevice(UniqueHandle handle) : handle_(std::move(handle)) {}

    bool getLineSettings(SerialLineSettings& settings) override;
    bool setLineSettings(const SerialLineSettings& settings) override;
    bool modemStatus(ModemLines& lines) override;
    bool setTimeouts(const CommTimeouts& timeouts) override;
    bool purge() override;
    bool inputQueued(uint32_t& count) override;
    IoResult write(const uint8_t* data, uint32_t length) override;
    IoResult read(uint8_t* buffer, uint32_t length) override;
    void cancelIo() override;

  private:
    bool readState();

    UniqueHandle handle_;
    DCB dcb_{};
    bool haveDcb_ = false;
};
