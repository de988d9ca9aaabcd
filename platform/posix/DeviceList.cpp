#include "platform/posix/DeviceList.h"

#include "platform/Spooler.h"
#include "platform/posix/DeviceErrorText.h"
#include "platform/posix/DeviceNames.h"
#include "platform/posix/SysfsUsb.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct PortEntry {
    std::string path;
    std::string name;    // "COM3", or "" when no port name leads to the device
    bool mapped = false; // the name reaches it through MIRELITH_COMn / MIRELITH_LPTn
};

std::vector<std::string> nodesNamed(const std::string& directory, const std::string& stem) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(stem, 0) == 0 && name.size() > stem.size()) {
            found.push_back(entry.path().string());
        }
    }
    // ttyS2 before ttyS10.
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return found;
}

// The kernel makes a ttyS node for every UART it could drive; one without hardware reports
// type 0 (unknown) in sysfs. Kept when sysfs says nothing.
bool hasUartHardware(const std::string& node) {
    const std::string name = fs::path(node).filename().string();
    std::ifstream type(sysfsRoot() + "/class/tty/" + name + "/type");
    std::string value;
    return !(type >> value) || value != "0";
}

// The ports of one kind: the device nodes found, plus any device a MIRELITH_ variable names.
std::vector<PortEntry> portEntries(const std::vector<std::string>& nodes, const char* kind,
                                   std::string (*pathOf)(const std::string&, const EnvLookup&)) {
    std::vector<PortEntry> entries;
    for (const std::string& node : nodes) {
        entries.push_back({node, "", false});
    }
    for (int number = 1; number <= kMaxPortNumber; ++number) {
        const std::string name = kind + std::to_string(number);
        const char* override = lookupEnv(("MIRELITH_" + name).c_str());
        const bool mapped = override != nullptr && *override != '\0';
        std::string path = pathOf(name, lookupEnv);
        // The default devices live under the device root a copied tree may move.
        if (!mapped && path.rfind("/dev/", 0) == 0) {
            path = deviceRoot() + path.substr(4);
        }
        auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const PortEntry& e) { return e.path == path; });
        if (it == entries.end()) {
            if (mapped) {
                entries.push_back({path, name, true});
            }
        } else if (it->name.empty()) {
            it->name = name;
            it->mapped = mapped;
        }
    }
    return entries;
}

// "can open", or why not and what to do about it.
std::string accessText(const std::string& path) {
    if (::access(path.c_str(), R_OK | W_OK) == 0) {
        return "can open";
    }
    if (errno == ENOENT) {
        return "missing";
    }
    if (errno != EACCES && errno != EPERM) {
        return deviceErrorReason(path, errno).substr(path.size() + 2);
    }
    const std::string advice = accessAdvice(deviceAccessOf(path));
    return advice.empty() ? "no access" : "no access: " + advice;
}

void printQueues(std::FILE* out, const std::vector<PrinterQueueInfo>& queues,
                 const std::function<bool(const PrinterQueueInfo&)>& on) {
    for (const PrinterQueueInfo& queue : queues) {
        if (on(queue)) {
            std::fprintf(out, "      CUPS queue %s (%s)\n", queue.printerName.c_str(),
                         queue.driverName.empty() ? "no driver name" : queue.driverName.c_str());
        }
    }
}

void printPorts(std::FILE* out, const char* title, const std::vector<PortEntry>& entries,
                const std::vector<PrinterQueueInfo>& queues) {
    std::fprintf(out, "%s:\n", title);
    if (entries.empty()) {
        std::fprintf(out, "  none found\n");
    }
    for (const PortEntry& entry : entries) {
        std::string name = entry.name.empty() ? "-" : entry.name;
        if (entry.mapped) {
            name += " (MIRELITH_" + entry.name + ")";
        }
        std::fprintf(out, "  %-16s %-24s %s\n", entry.path.c_str(), name.c_str(),
                     accessText(entry.path).c_str());
        // A queue's port is the Windows name ("COM1:") when one leads to its device, else its
        // device URI, which holds the path.
        printQueues(out, queues, [&](const PrinterQueueInfo& queue) {
            return (!entry.name.empty() && queue.portName == entry.name + ":") ||
                   queue.portName.find(":" + entry.path) != std::string::npos;
        });
    }
}

std::string modelText(int32_t code, const DeviceListModels& models) {
    if (code < 0) {
        return "no known model";
    }
    const std::string name = models.modelName ? models.modelName(code) : "";
    return "model " + std::to_string(code) + (name.empty() ? "" : " (" + name + ")");
}

// "vid_04b8&pid_0202" out of an interface path made by listSysfsUsbDevices.
std::string idsOf(const std::string& interfacePath) {
    const size_t start = interfacePath.find("vid_");
    return start == std::string::npos ? "" : interfacePath.substr(start, 17);
}

void printUsbPrinters(std::FILE* out, const DeviceListModels& models,
                      const std::vector<PrinterQueueInfo>& queues) {
    std::fprintf(out, "USB printers:\n");
    int shown = 0;
    for (const SysfsUsbDevice& device : listSysfsUsbDevices(sysfsRoot(), deviceRoot())) {
        const int32_t code = models.usbModelOf ? models.usbModelOf(device.interfacePath) : -1;
        // Hubs, keyboards and the like are neither printers nor of a known model.
        if (code < 0 && device.nodePath.empty()) {
            continue;
        }
        ++shown;
        std::fprintf(out, "  %s  %s  %s\n", idsOf(device.interfacePath).c_str(),
                     modelText(code, models).c_str(),
                     device.nodePath.empty()
                         ? "no usblp device node (is the usblp driver bound?)"
                         : (device.nodePath + "  " + accessText(device.nodePath)).c_str());
        std::fprintf(out, "      port name %s\n", device.interfacePath.c_str());
    }
    if (shown == 0) {
        std::fprintf(out, "  none found\n");
    }
    // CUPS numbers its USB queues in its own order, so they are listed once for all printers.
    printQueues(out, queues,
                [](const PrinterQueueInfo& queue) { return queue.portName.rfind("USB", 0) == 0; });
}

} // namespace

int printDeviceList(std::FILE* out, const DeviceListModels& models) {
    const std::string dev = deviceRoot();
    std::vector<std::string> serialNodes;
    for (const char* stem : {"ttyS", "ttyUSB", "ttyACM"}) {
        for (std::string& node : nodesNamed(dev, stem)) {
            if (std::string(stem) != "ttyS" || hasUartHardware(node)) {
                serialNodes.push_back(std::move(node));
            }
        }
    }
    const std::vector<PrinterQueueInfo> queues = makeSystemSpooler()->enumerateLocalQueues();

    printPorts(out, "Serial ports (-p COMn or -p DEVICE)",
               portEntries(serialNodes, "COM", serialDevicePath), queues);
    printPorts(out, "Parallel ports (-p LPTn or -p DEVICE)",
               portEntries(nodesNamed(dev, "lp"), "LPT", parallelDevicePath), queues);
    printUsbPrinters(out, models, queues);

    std::fprintf(out, "Models (-m NAME):\n");
    for (const auto& [name, code] : models.namedModels) {
        std::fprintf(out, "  %-16s model %d\n", name.c_str(), static_cast<int>(code));
    }
    return 0;
}
