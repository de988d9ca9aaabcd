// USB discovery over sysfs-shaped trees built in a temporary directory and named through the
// environment, as a user would point the program at a copy of a machine's tree: the same reading
// code as on a real machine, with device nodes that are plain files.
#include "platform/UsbDeviceSource.h"
#include "platform/UsbPathResolver.h"
#include "platform/posix/SysfsUsb.h"
#include "ports/UsbDiscovery.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const std::string kClass = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

class UsbSysfs : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/mirelith-sysfs-XXXXXX";
        root_ = mkdtemp(pattern);
        for (const char* dir : {"devices", "drivers/usblp", "drivers/usbhid"}) {
            fs::create_directories(root_ / "sys/bus/usb" / dir);
        }
        fs::create_directories(root_ / "dev/usb");
        setenv("MIRELITH_SYSFS_ROOT", sys().c_str(), 1);
        setenv("MIRELITH_DEV_ROOT", dev().c_str(), 1);
    }
    void TearDown() override {
        unsetenv("MIRELITH_SYSFS_ROOT");
        unsetenv("MIRELITH_DEV_ROOT");
        fs::remove_all(root_);
    }
    std::string sys() const { return (root_ / "sys").string(); }
    std::string dev() const { return (root_ / "dev").string(); }

    // A device as the kernel lays it out: the entry under bus/usb/devices is a link into
    // devices/, its interface a subdirectory with a driver link and, for usblp, its lp node.
    void addDevice(const std::string& name, int bus, int number, const std::string& ids,
                   const std::string& serial, const std::string& driver, const std::string& node) {
        const fs::path real = root_ / "sys/devices/pci0000:00" / name;
        const fs::path interface = real / (name + ":1.0");
        fs::create_directories(interface / "usbmisc" / node);
        write(real / "idVendor", ids.substr(0, 4));
        write(real / "idProduct", ids.substr(5) + "\n");
        write(real / "busnum", std::to_string(bus));
        write(real / "devnum", std::to_string(number));
        if (!serial.empty()) {
            write(real / "serial", serial + "\n");
        }
        fs::create_directory_symlink(root_ / "sys/bus/usb/drivers" / driver, interface / "driver");
        write(root_ / "dev/usb" / node, "");
        fs::create_directory_symlink(real, root_ / "sys/bus/usb/devices" / name);
        fs::create_directory_symlink(interface, root_ / "sys/bus/usb/devices" / (name + ":1.0"));
    }

  private:
    static void write(const fs::path& file, const std::string& text) {
        std::ofstream(file) << text;
    }
    fs::path root_;
};

TEST_F(UsbSysfs, DevicesAreListedInWindowsFormAndPrintersWhoseNodeOpensAreOffered) {
    EXPECT_TRUE(listSysfsUsbDevices(dev() + "/none", dev()).empty());
    addDevice("2-1.4", 2, 3, "f0a0:0025", "", "usblp", "lp2");     // T90 Prime, no serial
    addDevice("1-1", 1, 2, "046d:C52B", "", "usbhid", "hiddev0");  // a mouse
    addDevice("1-3", 1, 4, "f0a0:0024", "STD1", "usblp", "lp0");   // T90 Standard
    addDevice("1-2", 1, 5, "F0A0:0025", "SN#7/2", "usblp", "lp1"); // T90 Prime
    fs::remove(dev() + "/usb/lp2"); // unplugged between the listing and the open

    const std::vector<SysfsUsbDevice> devices = listSysfsUsbDevices(sys(), dev());
    ASSERT_EQ(devices.size(), 4u); // in bus and device number order
    EXPECT_EQ(devices[0].interfacePath, "\\\\?\\usb#vid_046d&pid_c52b#1-1" + kClass);
    EXPECT_EQ(devices[0].nodePath, "");
    // Separators in a serial number must not reach the path.
    EXPECT_EQ(devices[2].interfacePath, "\\\\?\\usb#vid_f0a0&pid_0025#SN_7_2" + kClass);
    EXPECT_EQ(devices[2].nodePath, dev() + "/usb/lp1");
    EXPECT_EQ(devices[3].interfacePath, "\\\\?\\usb#vid_f0a0&pid_0025#2-1.4" + kClass);

    // Windows compares these paths without regard to case; other paths name a device node.
    EXPECT_EQ(resolveUsbDevicePath("\\\\?\\USB#VID_F0A0&PID_0025#2-1.4" + kClass),
              dev() + "/usb/lp2");
    EXPECT_EQ(resolveUsbDevicePath("\\\\?\\usb#vid_f0a0&pid_0025#gone" + kClass), "");
    EXPECT_EQ(resolveUsbDevicePath("/dev/null"), "/dev/null");
    EXPECT_EQ(resolveUsbDevicePath(dev() + "/usb/lp0"), ""); // a plain file

    // A printer named by its node is found again by its ids and serial (or bus port), whatever
    // node it gets after a restart; other paths stay as they are.
    EXPECT_EQ(stableUsbPath(dev() + "/usb/lp1"), devices[2].interfacePath);
    EXPECT_EQ(stableUsbPath(dev() + "/usb/lp2"), devices[3].interfacePath);
    EXPECT_EQ(stableUsbPath(dev() + "/usb/lp9"), dev() + "/usb/lp9");
    EXPECT_EQ(stableUsbPath("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(stableUsbPath("COM1"), "COM1");

    UsbIdTables tables = buildUsbIdTables(defaultUsbIdValues());
    UsbDiscovery discovery{systemUsbDeviceSource(), tables, false};
    std::vector<UsbDeviceEntry> list;
    discovery.enumerateUsbPrinters(1112, true, list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].devicePath, devices[2].interfacePath);
    std::string path;
    discovery.findUsbDevicePath(1111, path);
    EXPECT_EQ(path, "\\\\?\\usb#vid_f0a0&pid_0024#STD1" + kClass);
}

} // namespace
