#pragma once
// Finds the attached USB printers of one model and names them "USB001:", "USB002:", ...
#include "ports/UsbIdTable.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class UsbDeviceSource;
class UsbInterfaceSet;

struct UsbDeviceEntry {
    std::string displayName; // "USB%03d:" with the entry's 1-based position in its list
    std::string devicePath;  // the device interface path
};

// The device paths that fit the path buffer: 255 characters and a terminator.
constexpr size_t kMaxUsbDevicePath = 255;

class UsbDiscovery {
  public:
    // windows9x selects the registry route and the upper-case table.
    UsbDiscovery(UsbDeviceSource& source, const UsbIdTables& tables, bool windows9x);

    // Appends one entry per present device of wantedModel to list, numbering on from the list's
    // size. Unless silent, onFound is told about each new entry as it is found.
    void enumerateUsbPrinters(int32_t wantedModel, bool silent, std::vector<UsbDeviceEntry>& list,
                              const std::function<void(const UsbDeviceEntry&)>& onFound = {});

    // Sets path to the first found device of modelCode; leaves it unchanged when there is none.
    void findUsbDevicePath(int32_t modelCode, std::string& path);

    // Fills path with the selected interface's device path and reports whether a trial open
    // succeeded. A path longer than kMaxUsbDevicePath is not taken and counts as not opened.
    bool openDeviceInterface(UsbInterfaceSet& set, std::string& path);

    // Windows 95/98/Me: the model code found in the device's registry "DeviceInstance" text if
    // it equals wantedModel, else -1.
    int32_t lookupDeviceInstance(const std::string& devicePath, int32_t wantedModel);

  private:
    UsbDeviceSource& source_;
    const UsbIdTables& tables_;
    bool windows9x_;
};

// "USB%03d:" for a 1-based position.
std::string usbDisplayName(size_t position);

// Over the running system, with the active identifier table.
void enumerateUsbPrinters(int32_t wantedModel, bool silent, std::vector<UsbDeviceEntry>& list,
                          const std::function<void(const UsbDeviceEntry&)>& onFound = {});
// The device path of the first attached USB printer of modelCode, or "" when there is none.
std::string findUsbPrinterPort(int32_t modelCode);
