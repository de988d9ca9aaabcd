#include "ui/UsbPrinterList.h"

std::vector<std::string> SystemUsbPrinterSource::attachedPrinterPaths(int32_t modelCode) {
    // The dialog numbers the entries itself across its searches, so a fresh list is enough.
    std::vector<UsbDeviceEntry> found;
    enumerateUsbPrinters(modelCode, false, found);
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (UsbDeviceEntry& entry : found) {
        paths.push_back(std::move(entry.devicePath));
    }
    return paths;
}
