#pragma once
// Where the configuration dialog learns which USB printers of a model are attached.
#include "ports/UsbDiscovery.h"

#include <cstdint>
#include <string>
#include <vector>

class UsbPrinterSource {
  public:
    virtual ~UsbPrinterSource() = default;
    // Device interface paths of the attached printers of the model, in discovery order.
    virtual std::vector<std::string> attachedPrinterPaths(int32_t modelCode) = 0;
};

// Over the running system's USB discovery.
class SystemUsbPrinterSource : public UsbPrinterSource {
  public:
    std::vector<std::string> attachedPrinterPaths(int32_t modelCode) override;
};
