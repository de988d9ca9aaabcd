// USB device interfaces on Linux: a snapshot of sysfs, where only printers bound to usblp can
// be opened (every other device fails its trial open, as it does on Windows).
#include "platform/UsbDeviceSource.h"

#include "platform/posix/SysfsUsb.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

class SysfsInterfaceSet final : public UsbInterfaceSet {
  public:
    explicit SysfsInterfaceSet(std::vector<SysfsUsbDevice> devices)
        : devices_(std::move(devices)) {}

    EnumResult enumerateInterface(uint32_t index) override {
        if (index >= devices_.size()) {
            return EnumResult::NoMoreItems;
        }
        selected_ = index;
        return EnumResult::Found;
    }

    std::optional<std::string> interfacePath() override {
        return devices_[selected_].interfacePath;
    }

    bool trialOpen(const std::string& path) override {
        const SysfsUsbDevice& device = devices_[selected_];
        if (device.nodePath.empty() || path != device.interfacePath) {
            return false;
        }
        int fd = ::open(device.nodePath.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        ::close(fd);
        return true;
    }

  private:
    std::vector<SysfsUsbDevice> devices_;
    size_t selected_ = 0;
};

class SysfsUsbSource final : public UsbDeviceSource {
  public:
    std::unique_ptr<UsbInterfaceSet> openInterfaceSet() override {
        return std::make_unique<SysfsInterfaceSet>(listSysfsUsbDevices(sysfsRoot(), deviceRoot()));
    }

    // Linux keeps no registry; the Windows 95/98/Me route never runs here.
    std::optional<std::string> readDeviceInstance(const std::string&) override {
        return std::nullopt;
    }
};

} // namespace

UsbDeviceSource& systemUsbDeviceSource() {
    static SysfsUsbSource source;
    return source;
}
