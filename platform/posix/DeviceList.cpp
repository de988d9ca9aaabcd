#include "platform/posix/DeviceList.h"

#include "platform/posix/DeviceNames.h"
#include "platform/posix/SysfsUsb.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> devicesNamed(const std::string& directory, const std::string& stem) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(stem, 0) == 0 && name.size() > stem.size()) {
            found.push_back(entry.path().string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// "yes", or why not and what to do about it.
std::string accessText(const std::string& path) {
    if (::access(path.c_str(), R_OK | W_OK) == 0) {
        return "can open";
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return "missing";
    }
    const group* owner = ::getgrgid(info.st_gid);
    return owner != nullptr ? std::string("no access: join group ") + owner->gr_name
                            : std::string("no access");
}

} // namespace

int printDeviceList(std::FILE* out) {
    const std::string dev = deviceRoot();
    const EnvLookup env = [](const char* name) { return std::getenv(name); };

    std::fprintf(out, "Serial ports:\n");
    for (const char* stem : {"ttyS", "ttyUSB", "ttyACM"}) {
        for (const std::string& path : devicesNamed(dev, stem)) {
            std::fprintf(out, "  %s  %s\n", path.c_str(), accessText(path).c_str());
        }
    }
    std::fprintf(out, "Parallel ports:\n");
    for (const std::string& path : devicesNamed(dev, "lp")) {
        std::fprintf(out, "  %s  %s\n", path.c_str(), accessText(path).c_str());
    }
    std::fprintf(out, "USB printers:\n");
    for (const SysfsUsbDevice& device : listSysfsUsbDevices(sysfsRoot(), dev)) {
        if (device.nodePath.empty()) {
            continue;
        }
        std::fprintf(out, "  %s  %s  %s\n", device.nodePath.c_str(), device.interfacePath.c_str(),
                     accessText(device.nodePath).c_str());
    }
    return 0;
}
