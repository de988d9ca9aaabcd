#include "platform/posix/SysfsUsb.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <tuple>

namespace fs = std::filesystem;

namespace {

const char kInterfaceClassSuffix[] = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

std::string readAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string value;
    std::getline(in, value);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) {
        value.pop_back();
    }
    return value;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool isHex4(const std::string& text) {
    return text.size() == 4 && std::all_of(text.begin(), text.end(),
                                           [](unsigned char c) { return std::isxdigit(c) != 0; });
}

// A serial number may hold anything; the path must not gain separators from it.
std::string instanceText(const std::string& serial, const std::string& busPort) {
    if (serial.empty()) {
        return busPort;
    }
    std::string text = serial;
    for (char& c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '-' && c != '.' && c != '_') {
            c = '_';
        }
    }
    return text;
}

// The lp node of the first interface of the device that usblp has taken.
std::string usblpNode(const fs::path& device, const std::string& name, const std::string& devRoot) {
    std::error_code error;
    std::vector<fs::path> interfaces;
    for (const auto& entry : fs::directory_iterator(device, error)) {
        std::string child = entry.path().filename().string();
        if (child.rfind(name + ":", 0) == 0) {
            interfaces.push_back(entry.path());
        }
    }
    std::sort(interfaces.begin(), interfaces.end());
    for (const fs::path& interface : interfaces) {
        fs::path driver = fs::read_symlink(interface / "driver", error);
        if (error || driver.filename() != "usblp") {
            error.clear();
            continue;
        }
        std::vector<std::string> nodes;
        for (const auto& entry : fs::directory_iterator(interface / "usbmisc", error)) {
            nodes.push_back(entry.path().filename().string());
        }
        error.clear();
        std::sort(nodes.begin(), nodes.end());
        for (const std::string& node : nodes) {
            if (node.rfind("lp", 0) == 0) {
                return devRoot + "/usb/" + node;
            }
        }
    }
    return "";
}

long numberIn(const fs::path& file) {
    std::string text = readAttribute(file);
    return text.empty() ? 0 : std::strtol(text.c_str(), nullptr, 10);
}

std::string fromEnvironment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

} // namespace

std::vector<SysfsUsbDevice> listSysfsUsbDevices(const std::string& sysRoot,
                                                const std::string& devRoot) {
    struct Found {
        long bus;
        long number;
        std::string name;
        SysfsUsbDevice device;
    };
    std::vector<Found> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(sysRoot) / "bus/usb/devices", error)) {
        const fs::path device = entry.path();
        std::string name = device.filename().string();
        if (name.find(':') != std::string::npos) {
            continue; // an interface, not a device
        }
        std::string vendor = lowered(readAttribute(device / "idVendor"));
        std::string product = lowered(readAttribute(device / "idProduct"));
        if (!isHex4(vendor) || !isHex4(product)) {
            continue;
        }
        SysfsUsbDevice usb;
        usb.interfacePath = "\\\\?\\usb#vid_" + vendor + "&pid_" + product + "#" +
                            instanceText(readAttribute(device / "serial"), name) +
                            kInterfaceClassSuffix;
        usb.nodePath = usblpNode(device, name, devRoot);
        found.push_back({numberIn(device / "busnum"), numberIn(device / "devnum"), name, usb});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return std::tie(a.bus, a.number, a.name) < std::tie(b.bus, b.number, b.name);
    });
    std::vector<SysfsUsbDevice> devices;
    for (Found& entry : found) {
        devices.push_back(std::move(entry.device));
    }
    return devices;
}

std::string sysfsUsbNodeFor(const std::string& interfacePath, const std::string& sysRoot,
                            const std::string& devRoot) {
    const std::string wanted = lowered(interfacePath);
    for (const SysfsUsbDevice& device : listSysfsUsbDevices(sysRoot, devRoot)) {
        if (lowered(device.interfacePath) == wanted) {
            return device.nodePath;
        }
    }
    return "";
}

bool isUsbInterfacePath(const std::string& path) {
    std::string head = lowered(path.substr(0, 8));
    return head == "\\\\?\\usb#" || head == "\\\\.\\usb#";
}

std::string sysfsRoot() {
    return fromEnvironment("MIRELITH_SYSFS_ROOT", "/sys");
}

std::string deviceRoot() {
    return fromEnvironment("MIRELITH_DEV_ROOT", "/dev");
}
