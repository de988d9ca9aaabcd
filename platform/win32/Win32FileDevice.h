#pragma once
#include "platform/FileDevice.h"
#include "platform/win32/UniqueHandle.h"

// A parallel port (synchronous handle) or a USB printer interface (overlapped handle, so a
// background read can be bounded; every transfer still waits for its completion).
class Win32FileDevice final : public FileDevice {
  public:
    Win32FileDevice(UniqueHandle handle, bool overlapped)
        : handle_(std::move(handle)), overlapped_(overlapped) {}

    bool setTimeouts(const CommTimeouts& timeouts) override;
    bool purge() override;
    IoResult write(const uint8_t* data, uint32_t length) override;
    IoResult read(uint8_t* buffer, uint32_t length) override;
    IoResult readWithin(uint8_t* buffer, uint32_t length, uint32_t waitMs,
                        const std::atomic<bool>& abandon) override;
    void cancelIo() override;

  private:
    UniqueHandle handle_;
    bool overlapped_;
};
