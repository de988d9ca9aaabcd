#include "platform/posix/PosixSerialDevice.h"

#include "platform/posix/DeviceErrorText.h"
#include "platform/posix/FdTransfer.h"
#include "platform/posix/TermiosMapping.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>

PosixSerialDevice::~PosixSerialDevice() {
    ::ioctl(fd_.get(), TIOCNXCL);
}

bool PosixSerialDevice::failed(int error) {
    lastError_ = deviceErrorReason(path_, error);
    return false;
}

bool PosixSerialDevice::getLineSettings(SerialLineSettings& settings) {
    termios tio{};
    if (::tcgetattr(fd_.get(), &tio) != 0) {
        return failed(errno);
    }
    settings = lineSettingsFrom(tio);
    return true;
}

bool PosixSerialDevice::setLineSettings(const SerialLineSettings& settings) {
    termios tio{};
    if (::tcgetattr(fd_.get(), &tio) != 0) {
        return failed(errno);
    }
    if (speedForBaudRate(settings.baudRate) == B0) {
        lastError_ = path_ + ": baud rate " + std::to_string(settings.baudRate) +
                     " is not supported (supported: " + supportedBaudRatesText() + ")";
        return false;
    }
    if (!applyLineSettings(settings, tio)) {
        lastError_ = path_ + ": these data bits, parity or stop bits are not supported";
        return false;
    }
    if (::tcsetattr(fd_.get(), TCSANOW, &tio) != 0) {
        return failed(errno);
    }
    // DTR and RTS levels; a pseudo-terminal has no modem lines, so failures are ignored.
    int dtr = TIOCM_DTR;
    ::ioctl(fd_.get(), settings.dtrControl == DtrControl::Disable ? TIOCMBIC : TIOCMBIS, &dtr);
    if (settings.rtsControl != RtsControl::Handshake) {
        int rts = TIOCM_RTS;
        ::ioctl(fd_.get(), settings.rtsControl == RtsControl::Disable ? TIOCMBIC : TIOCMBIS, &rts);
    }
    return true;
}

bool PosixSerialDevice::modemStatus(ModemLines& lines) {
    int bits = 0;
    if (::ioctl(fd_.get(), TIOCMGET, &bits) != 0) {
        if (errno == ENOTTY || errno == EINVAL) {
            // No modem lines at all (a pseudo-terminal behind socat or ser2net): treat the
            // printer as ready rather than refusing every such bridge.
            lines.dsr = true;
            lines.cts = true;
            return true;
        }
        return failed(errno);
    }
    lines.dsr = (bits & TIOCM_DSR) != 0;
    lines.cts = (bits & TIOCM_CTS) != 0;
    return true;
}

bool PosixSerialDevice::setTimeouts(const CommTimeouts& timeouts) {
    timeouts_ = timeouts;
    hasTimeouts_ = true;
    return true;
}

bool PosixSerialDevice::purge() {
    return ::tcflush(fd_.get(), TCIOFLUSH) == 0;
}

bool PosixSerialDevice::inputQueued(uint32_t& count) {
    int queued = 0;
    if (::ioctl(fd_.get(), FIONREAD, &queued) != 0 || queued < 0) {
        return false;
    }
    count = static_cast<uint32_t>(queued);
    return true;
}

IoResult PosixSerialDevice::write(const uint8_t* data, uint32_t length) {
    const IoResult result =
        writeFd(fd_.get(), data, length, writeLimitMs(timeouts_, length, hasTimeouts_));
    if (!result.ok) {
        failed(result.nativeError);
    }
    return result;
}

IoResult PosixSerialDevice::read(uint8_t* buffer, uint32_t length) {
    return readFd(fd_.get(), buffer, length, readPlanFor(timeouts_, length, hasTimeouts_));
}
