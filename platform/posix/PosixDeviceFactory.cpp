#include "platform/DeviceFactory.h"
#include "platform/UsbPathResolver.h"
#include "platform/posix/DeviceNames.h"
#include "platform/posix/PosixFileDevice.h"
#include "platform/posix/PosixSerialDevice.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
// Opens path for reading and writing, refusing it when another opener holds it: the flock
// covers every process (root included), TIOCEXCL additionally keeps out programs that do not
// take locks.
UniqueFd openExclusive(const std::string& path, bool terminal) {
    if (path.empty()) {
        return {};
    }
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        return {};
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return {};
    }
    if (terminal) {
        if (!::isatty(fd.get())) {
            return {};
        }
        ::ioctl(fd.get(), TIOCEXCL);
    }
    return fd;
}

const char* lookupEnv(const char* name) {
    return std::getenv(name);
}

class PosixDeviceFactory final : public DeviceFactory {
  public:
    std::unique_ptr<SerialDevice> openSerial(const std::string& name) override {
        UniqueFd fd = openExclusive(serialDevicePath(name, lookupEnv), true);
        if (!fd) {
            return nullptr;
        }
        return std::make_unique<PosixSerialDevice>(std::move(fd));
    }
    std::unique_ptr<FileDevice> openParallel(const std::string& name) override {
        UniqueFd fd = openExclusive(parallelDevicePath(name, lookupEnv), false);
        if (!fd) {
            return nullptr;
        }
        return std::make_unique<PosixFileDevice>(std::move(fd));
    }
    std::unique_ptr<FileDevice> openUsb(const std::string& path) override {
        UniqueFd fd = openExclusive(resolveUsbDevicePath(path), false);
        if (!fd) {
            return nullptr;
        }
        return std::make_unique<PosixFileDevice>(std::move(fd));
    }
};
} // namespace

DeviceFactory& systemDeviceFactory() {
    static PosixDeviceFactory factory;
    return factory;
}
