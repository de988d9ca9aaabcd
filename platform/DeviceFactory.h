#pragma once
// Opens printer devices by the names users know ("COM3", "\\.\COM12", "LPT1", a USB device
// path). Each open is exclusive: a device already open elsewhere is refused. A null result is
// a failed open.
#include "platform/FileDevice.h"
#include "platform/SerialDevice.h"

#include <memory>
#include <string>

class DeviceFactory {
  public:
    virtual ~DeviceFactory() = default;
    virtual std::unique_ptr<SerialDevice> openSerial(const std::string& name) = 0;
    virtual std::unique_ptr<FileDevice> openParallel(const std::string& name) = 0;
    virtual std::unique_ptr<FileDevice> openUsb(const std::string& path) = 0;
    // Why the last open gave null, naming the device tried ("/dev/ttyS0: permission denied;
    // join the group dialout ..."); empty when the system gave no reason.
    virtual std::string lastOpenError() const { return {}; }
};

// The host's real devices.
DeviceFactory& systemDeviceFactory();
