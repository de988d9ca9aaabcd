#pragma once
// USB devices as Linux shows them in sysfs, named the way Windows names a USB device interface:
//   \\?\usb#vid_04a9&pid_1234#<serial or bus-port>#{a5dcbf10-6530-11d2-901f-00c04fb951ed}
// so that the identifier matching and the program's "leading backslash means USB" rule work
// unchanged. A device whose interface is bound to the usblp driver also gets its /dev/usb/lp*
// node.
#include <string>
#include <vector>

struct SysfsUsbDevice {
    std::string interfacePath;
    std::string nodePath; // empty when no interface is bound to usblp
};

// The devices under <sysRoot>/bus/usb/devices in bus and device-number order; nodes are named
// under <devRoot>/usb.
std::vector<SysfsUsbDevice> listSysfsUsbDevices(const std::string& sysRoot,
                                                const std::string& devRoot);

// The usblp node for an interface path made by listSysfsUsbDevices (compared without regard to
// case), or "" when no such printer is attached.
std::string sysfsUsbNodeFor(const std::string& interfacePath, const std::string& sysRoot,
                            const std::string& devRoot);

// Whether the text has the form of a USB device interface path ("\\?\usb#...", any case).
bool isUsbInterfacePath(const std::string& path);

// "/sys" and "/dev", unless MIRELITH_SYSFS_ROOT or MIRELITH_DEV_ROOT name other directories
// (a copy of a machine's tree, or a test's).
std::string sysfsRoot();
std::string deviceRoot();
