#pragma once
// The attached USB printers of a model, as the configuration dialog lists them.
#include <cstdint>
#include <string>
#include <vector>

struct UsbListEntry {
    std::string displayName; // "USB001:", "USB002:", ...
    std::string devicePath;  // the device interface path, beginning with a backslash

    friend bool operator==(const UsbListEntry&, const UsbListEntry&) = default;
};

class UsbPrinterSource {
  public:
    virtual ~UsbPrinterSource() = default;
    // Device interface paths of the attached printers of the model, in discovery order.
    virtual std::vector<std::string> attachedPrinterPaths(int32_t modelCode) = 0;
};

// "USB%03d:" for the 1-based number.
std::string usbDisplayName(int32_t number);
