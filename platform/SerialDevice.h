#pragma once
// An open serial line, owned exclusively: destroying the object closes the device.
#include "platform/DeviceTypes.h"

#include <cstdint>
#include <string>

enum class DtrControl : uint8_t { Disable = 0, Enable = 1, Handshake = 2 };
enum class RtsControl : uint8_t { Disable = 0, Enable = 1, Handshake = 2, Toggle = 3 };

// The line settings the ports choose, mirroring the DCB fields of the same meaning. Fields the
// ports never set (XON/XOFF characters and limits, error and event characters) are not here:
// each backend keeps whatever the device already had for them.
struct SerialLineSettings {
    uint32_t baudRate = 0;
    uint8_t byteSize = 8;
    uint8_t parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t stopBits = 0; // 0 one, 1 one and a half, 2 two
    bool checkParity = false;
    bool outxCtsFlow = false;
    bool outxDsrFlow = false;
    DtrControl dtrControl = DtrControl::Enable;
    RtsControl rtsControl = RtsControl::Enable;
    bool outX = false;
    bool inX = false;
    bool dsrSensitivity = false;
    bool txContinueOnXoff = false;
    bool discardNulls = false;

    friend bool operator==(const SerialLineSettings&, const SerialLineSettings&) = default;
};

struct ModemLines {
    bool dsr = false;
    bool cts = false;
};

class SerialDevice {
  public:
    virtual ~SerialDevice() = default;
    virtual bool getLineSettings(SerialLineSettings& settings) = 0;
    virtual bool setLineSettings(const SerialLineSettings& settings) = 0;
    virtual bool modemStatus(ModemLines& lines) = 0;
    // Write and read below end within the limits these give (as COMMTIMEOUTS does).
    virtual bool setTimeouts(const CommTimeouts& timeouts) = 0;
    // Drops pending output and input, aborting transfers in progress.
    virtual bool purge() = 0;
    // Bytes waiting in the driver's input queue; false when the device cannot say.
    virtual bool inputQueued(uint32_t& count) = 0;
    virtual IoResult write(const uint8_t* data, uint32_t length) = 0;
    virtual IoResult read(uint8_t* buffer, uint32_t length) = 0;
    // Abandons transfers that the calling thread has in progress.
    virtual void cancelIo() = 0;
    // Why the last call above failed, naming the device; empty when unknown.
    virtual std::string lastErrorText() const { return {}; }
};
