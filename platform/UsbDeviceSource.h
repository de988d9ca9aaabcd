#pragma once
// What USB discovery needs of the system: the present USB device interfaces by index, the
// device path of each, a trial open, and (on Windows 95/98/Me) a registry text.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// One snapshot of the present USB device interfaces (a device information set). Released when
// destroyed.
class UsbInterfaceSet {
  public:
    enum class EnumResult { Found, NoMoreItems, Failed };

    virtual ~UsbInterfaceSet() = default;
    // Selects the interface at index for the next two calls.
    virtual EnumResult enumerateInterface(uint32_t index) = 0;
    // The selected interface's device path, or nothing when the system cannot tell it.
    virtual std::optional<std::string> interfacePath() = 0;
    // Opens the device for reading and writing, shared, and closes it again at once.
    virtual bool trialOpen(const std::string& path) = 0;
};

class UsbDeviceSource {
  public:
    virtual ~UsbDeviceSource() = default;
    // Nothing when the system cannot list the devices.
    virtual std::unique_ptr<UsbInterfaceSet> openInterfaceSet() = 0;
    // The text value "DeviceInstance" under HKEY_LOCAL_MACHINE\keyName, at most 254 characters;
    // nothing when the key or the value is missing, too long or not text.
    virtual std::optional<std::string> readDeviceInstance(const std::string& keyName) = 0;
};

// The running system's devices: the Setup API on Windows, sysfs on Linux.
UsbDeviceSource& systemUsbDeviceSource();
