// USB device interfaces through the Setup API, and the registry text that Windows 95/98/Me keep
// for each of them.
#include "platform/UsbDeviceSource.h"

#include <windows.h>

#include <setupapi.h>

#include <cstring>

#include <vector>

namespace {

// GUID_DEVINTERFACE_USB_DEVICE, spelled out so that no header has to instantiate it.
const GUID kUsbDeviceInterface = {
    0xa5dcbf10, 0x6530, 0x11d2, {0x90, 0x1f, 0x00, 0xc0, 0x4f, 0xb9, 0x51, 0xed}};

class DeviceInfoSet final : public UsbInterfaceSet {
  public:
    explicit DeviceInfoSet(HDEVINFO set) : set_(set) { interface_.cbSize = sizeof interface_; }
    ~DeviceInfoSet() override { SetupDiDestroyDeviceInfoList(set_); }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;

    EnumResult enumerateInterface(uint32_t index) override {
        interface_.cbSize = sizeof interface_;
        if (SetupDiEnumDeviceInterfaces(set_, nullptr, &kUsbDeviceInterface, index, &interface_)) {
            return EnumResult::Found;
        }
        return GetLastError() == ERROR_NO_MORE_ITEMS ? EnumResult::NoMoreItems : EnumResult::Failed;
    }

    std::optional<std::string> interfacePath() override {
        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailA(set_, &interface_, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
            return std::nullopt;
        }
        // DWORD-aligned block: the record starts with a DWORD.
        std::vector<DWORD> block((required + sizeof(DWORD) - 1) / sizeof(DWORD) + 1, 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(block.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (!SetupDiGetDeviceInterfaceDetailA(set_, &interface_, detail, required, nullptr,
                                              nullptr)) {
            return std::nullopt;
        }
        // The block has room past `required`, and it was zero-filled: the text is terminated.
        return std::string(detail->DevicePath);
    }

    bool trialOpen(const std::string& path) override {
        HANDLE handle =
            CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        CloseHandle(handle);
        return true;
    }

  private:
    HDEVINFO set_;
    SP_DEVICE_INTERFACE_DATA interface_{};
};

class RegistryKey {
  public:
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() { RegCloseKey(key_); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return key_; }

  private:
    HKEY key_;
};

class SetupApiUsbSource final : public UsbDeviceSource {
  public:
    std::unique_ptr<UsbInterfaceSet> openInterfaceSet() override {
        HDEVINFO set = SetupDiGetClassDevsA(&kUsbDeviceInterface, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE) {
            return nullptr;
        }
        return std::make_unique<DeviceInfoSet>(set);
    }

    std::optional<std::string> readDeviceInstance(const std::string& keyName) override {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_ALL_ACCESS, &opened) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        RegistryKey key(opened);
        char buffer[256] = {};
        DWORD type = 0;
        DWORD size = 255;
        if (RegQueryValueExA(key.get(), "DeviceInstance", nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return std::nullopt;
        }
        // A stored value need not carry its terminator; the 256th byte always is one.
        return std::string(buffer, strnlen(buffer, size));
    }
};

} // namespace

UsbDeviceSource& systemUsbDeviceSource() {
    static SetupApiUsbSource source;
    return source;
}
