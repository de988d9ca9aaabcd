#include "platform/DeviceFactory.h"
#include "platform/UsbPathResolver.h"
#include "platform/posix/DeviceErrorText.h"
#include "platform/posix/DeviceNames.h"
#include "platform/posix/PosixFileDevice.h"
#include "platform/posix/PosixSerialDevice.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
// Not an errno value: the open worked, but what it opened is no device.
constexpr int kNotADevice = -1;

struct Opened {
    UniqueFd fd;
    int error = 0;
};

// Opens path for reading and writing, refusing it when another opener holds it: the flock
// covers every process (root included), TIOCEXCL additionally keeps out programs that do not
// take locks.
Opened openExclusive(const std::string& path, bool terminal) {
    Opened opened;
    opened.fd.reset(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!opened.fd) {
        opened.error = errno;
        return opened;
    }
    // A printer is a character device. Anything else a name or a variable points at (a file
    // the firmware would overwrite, a FIFO) is refused before a byte is written.
    struct stat info {};
    if (::fstat(opened.fd.get(), &info) != 0 || !S_ISCHR(info.st_mode)) {
        opened.error = kNotADevice;
        opened.fd.reset();
        return opened;
    }
    if (::flock(opened.fd.get(), LOCK_EX | LOCK_NB) != 0) {
        opened.error = errno == EWOULDBLOCK ? EBUSY : errno;
        opened.fd.reset();
        return opened;
    }
    if (terminal) {
        if (!::isatty(opened.fd.get())) {
            opened.error = ENOTTY;
            opened.fd.reset();
            return opened;
        }
        ::ioctl(opened.fd.get(), TIOCEXCL);
    }
    return opened;
}

class PosixDeviceFactory final : public DeviceFactory {
  public:
    std::unique_ptr<SerialDevice> openSerial(const std::string& name) override {
        const std::string path = serialDevicePath(name, lookupEnv);
        UniqueFd fd = open(name, path, true,
                           "no serial device is known for this name (COM1 to COM256 are "
                           "/dev/ttyS0 to /dev/ttyS255 unless MIRELITH_COMn names another)");
        return fd ? std::make_unique<PosixSerialDevice>(std::move(fd), path) : nullptr;
    }
    std::unique_ptr<FileDevice> openParallel(const std::string& name) override {
        const std::string path = parallelDevicePath(name, lookupEnv);
        UniqueFd fd = open(name, path, false,
                           "no parallel device is known for this name (LPT1 to LPT256 are "
                           "/dev/lp0 to /dev/lp255 unless MIRELITH_LPTn names another)");
        return fd ? std::make_unique<PosixFileDevice>(std::move(fd), path) : nullptr;
    }
    std::unique_ptr<FileDevice> openUsb(const std::string& name) override {
        const std::string path = resolveUsbDevicePath(name);
        UniqueFd fd = open(name, path, false,
                           "this USB printer is not attached, or no usblp device node "
                           "(/dev/usb/lp*) belongs to it");
        return fd ? std::make_unique<PosixFileDevice>(std::move(fd), path) : nullptr;
    }
    std::string lastOpenError() const override { return lastOpenError_; }

  private:
    UniqueFd open(const std::string& name, const std::string& path, bool terminal,
                  const char* unknownName) {
        lastOpenError_.clear();
        if (path.empty()) {
            lastOpenError_ = name + ": " + unknownName;
            return {};
        }
        Opened opened = openExclusive(path, terminal);
        if (!opened.fd) {
            lastOpenError_ = opened.error == kNotADevice
                                 ? path + ": not a device (a port must name a character device)"
                                 : deviceOpenReason(path, opened.error, deviceAccessOf(path));
        }
        return std::move(opened.fd);
    }

    std::string lastOpenError_;
};
} // namespace

DeviceFactory& systemDeviceFactory() {
    static PosixDeviceFactory factory;
    return factory;
}
