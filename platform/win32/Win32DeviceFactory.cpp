#include "platform/DeviceFactory.h"
#include "platform/UsbPathResolver.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32ErrorText.h"
#include "platform/win32/Win32FileDevice.h"
#include "platform/win32/Win32SerialDevice.h"

namespace {
// Share mode 0: a device another program (or another port object) holds is refused.
UniqueHandle openExclusive(const std::string& name, DWORD flags) {
    if (name.empty()) {
        return {};
    }
    return UniqueHandle(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, flags, nullptr));
}

class Win32DeviceFactory final : public DeviceFactory {
  public:
    std::unique_ptr<SerialDevice> openSerial(const std::string& name) override {
        UniqueHandle h = open(name, name, FILE_FLAG_OVERLAPPED);
        if (!h) {
            return nullptr;
        }
        return std::make_unique<Win32SerialDevice>(std::move(h));
    }
    std::unique_ptr<FileDevice> openParallel(const std::string& name) override {
        UniqueHandle h = open(name, name, FILE_ATTRIBUTE_NORMAL);
        if (!h) {
            return nullptr;
        }
        return std::make_unique<Win32FileDevice>(std::move(h), false);
    }
    std::unique_ptr<FileDevice> openUsb(const std::string& path) override {
        UniqueHandle h = open(path, resolveUsbDevicePath(path), FILE_FLAG_OVERLAPPED);
        if (!h) {
            return nullptr;
        }
        return std::make_unique<Win32FileDevice>(std::move(h), true);
    }
    std::string lastOpenError() const override { return lastOpenError_; }

  private:
    UniqueHandle open(const std::string& name, const std::string& device, DWORD flags) {
        lastOpenError_.clear();
        if (device.empty()) {
            lastOpenError_ = name + ": no such device";
            return {};
        }
        UniqueHandle h = openExclusive(device, flags);
        if (!h) {
            lastOpenError_ = win32DeviceOpenReason(device, GetLastError());
        }
        return h;
    }

    std::string lastOpenError_;
};
} // namespace

DeviceFactory& systemDeviceFactory() {
    static Win32DeviceFactory factory;
    return factory;
}
