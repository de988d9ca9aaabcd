#include "ports/UsbDiscovery.h"

#include "platform/UsbDeviceSource.h"
#include "ports/WindowsFamily.h"

#include <cstdio>

namespace {

// The interface class of every USB device, as its registry key spells it.
const char kDeviceClassesKey[] =
    "System\\CurrentControlSet\\Control\\DeviceClasses\\{a5dcbf10-6530-11d2-901f-00c04fb951ed}"
    "\\##.#";

constexpr uint32_t kFirstBatchEnd = 8;

} // namespace

std::string usbDisplayName(size_t position) {
    char name[32];
    std::snprintf(name, sizeof name, "USB%03u:", static_cast<unsigned>(position));
    return name;
}

UsbDiscovery::UsbDiscovery(UsbDeviceSource& source, const UsbIdTables& tables, bool windows9x)
    : source_(source), tables_(tables), windows9x_(windows9x) {}

void UsbDiscovery::enumerateUsbPrinters(int32_t wantedModel, bool silent,
                                        std::vector<UsbDeviceEntry>& list,
                                        const std::function<void(const UsbDeviceEntry&)>& onFound) {
    std::unique_ptr<UsbInterfaceSet> set = source_.openInterfaceSet();
    if (!set) {
        return;
    }
    bool opened = false;
    uint32_t batchEnd = kFirstBatchEnd;
    uint32_t index = 0;
    for (;;) {
        for (; index < batchEnd; ++index) {
            UsbInterfaceSet::EnumResult found = set->enumerateInterface(index);
            if (found == UsbInterfaceSet::EnumResult::NoMoreItems) {
                return;
            }
            std::string path;
            if (found != UsbInterfaceSet::EnumResult::Found || !openDeviceInterface(*set, path)) {
                continue;
            }
            opened = true;
            int32_t code = windows9x_ ? lookupDeviceInstance(path, wantedModel)
                                      : tables_.lowerCase.match(path);
            bool matches = windows9x_ ? code > 0 : code != -1;
            if (!matches || code != wantedModel) {
                continue;
            }
            list.push_back({usbDisplayName(list.size() + 1), path});
            if (!silent && onFound) {
                onFound(list.back());
            }
        }
        // Stop at the first batch boundary once anything could be opened; otherwise look
        // twice as far. A system with more than 2^31 interfaces does not exist, but the
        // doubling must not wrap around to an endless loop either.
        if (opened || batchEnd > UINT32_MAX / 2) {
            return;
        }
        batchEnd *= 2;
    }
}

void UsbDiscovery::findUsbDevicePath(int32_t modelCode, std::string& path) {
    std::vector<UsbDeviceEntry> found;
    enumerateUsbPrinters(modelCode, true, found);
    for (const UsbDeviceEntry& entry : found) {
        if (!entry.devicePath.empty()) {
            path = entry.devicePath;
            return;
        }
    }
}

bool UsbDiscovery::openDeviceInterface(UsbInterfaceSet& set, std::string& path) {
    std::optional<std::string> detail = set.interfacePath();
    if (!detail || detail->size() > kMaxUsbDevicePath) {
        return false;
    }
    path = *detail;
    return set.trialOpen(path);
}

int32_t UsbDiscovery::lookupDeviceInstance(const std::string& devicePath, int32_t wantedModel) {
    // The key carries the path without its leading "\\?\" (or "\\.\").
    std::string keyName = kDeviceClassesKey + (devicePath.size() > 4 ? devicePath.substr(4) : "");
    std::optional<std::string> instance = source_.readDeviceInstance(keyName);
    if (!instance) {
        return -1;
    }
    int32_t code = tables_.upperCase.match(*instance);
    return code == wantedModel ? code : -1;
}

namespace {

UsbDiscovery systemDiscovery() {
    return UsbDiscovery(systemUsbDeviceSource(), activeUsbIdTables(), isWindows9x());
}

} // namespace

void enumerateUsbPrinters(int32_t wantedModel, bool silent, std::vector<UsbDeviceEntry>& list,
                          const std::function<void(const UsbDeviceEntry&)>& onFound) {
    systemDiscovery().enumerateUsbPrinters(wantedModel, silent, list, onFound);
}

std::string findUsbPrinterPort(int32_t modelCode) {
    std::string path;
    systemDiscovery().findUsbDevicePath(modelCode, path);
    return path;
}
