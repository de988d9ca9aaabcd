#pragma once
// The one object through which the download engine reaches a serial, parallel or USB printer.
// configure picks the variant from the form of the port name; every other operation goes to
// that variant. With no variant installed every operation returns 0 and does nothing.
#include "models/PortKind.h"
#include "platform/Clock.h"
#include "platform/DeviceFactory.h"
#include "ports/ParallelPort.h"
#include "ports/PrinterPort.h"
#include "ports/SerialPort.h"
#include "ports/UsbPort.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

// The port kind a device path stands for by its form (Linux: "/dev/ttyUSB0" serial, "/dev/lp0"
// parallel, "/dev/usb/lp0" USB), nothing for a text that is no device path.
std::optional<PortKind> portKindOfDevicePath(const std::string& path);

// The kind of port PortDriver drives for a name (never Ethernet).
// "COM..." and "\\.\COM..." are serial, "LPT..." parallel, anything else (a lower-case "com1",
// an empty name, a USB device interface path) USB. Case-sensitive. Where the system takes device
// paths as port names (Linux), a serial or parallel device path ("/dev/ttyUSB0", "/dev/lp0")
// is of that kind, and every other device path ("/dev/usb/lp0") USB.
PortKind portKindFor(const std::string& portName);

class PortDriver final : public PrinterPort {
  public:
    // On the running Windows version (the parallel read timeouts depend on it).
    PortDriver(DeviceFactory& devices, Clock& clock);
    // windowsVersion is a GetVersion value.
    PortDriver(DeviceFactory& devices, Clock& clock, uint32_t windowsVersion);
    ~PortDriver() override;
    PortDriver(const PortDriver&) = delete;
    PortDriver& operator=(const PortDriver&) = delete;

    int32_t configure(PortSettings settings) override;
    int32_t open(int32_t startReader) override;
    int32_t write(const uint8_t* data, int32_t length) override;
    int32_t read(uint8_t* buffer, int32_t length, int32_t waitMs) override;
    void close() override;
    // Why the last configure, open or write failed, kept until the next configure; the engine
    // reads it after it has closed the port.
    std::string lastErrorText() const override { return lastError_; }

    // The installed variant's kind, none before the first configure.
    std::optional<PortKind> kind() const;

  private:
    // Keeps the installed variant's reason for a failure.
    void noteFailure();

    DeviceFactory& devices_;
    Clock& clock_;
    uint32_t windowsVersion_;
    std::variant<std::monostate, std::unique_ptr<SerialPort>, std::unique_ptr<ParallelPort>,
                 std::unique_ptr<UsbPort>>
        port_;
    std::string lastError_;
};
