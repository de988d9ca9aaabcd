// USB discovery over sysfs-shaped trees built in a temporary directory: the same reading code
// as on a real machine, with device nodes that are plain files.
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

class SysfsTree {
  public:
    SysfsTree() {
        char pattern[] = "/tmp/mirelith-sysfs-XXXXXX";
        root_ = mkdtemp(pattern);
        fs::create_directories(root_ / "sys/bus/usb/devices");
        fs::create_directories(root_ / "sys/bus/usb/drivers/usblp");
        fs::create_directories(root_ / "sys/bus/usb/drivers/usbhid");
        fs::create_directories(root_ / "dev/usb");
    }
    ~SysfsTree() { fs::remove_all(root_); }

    std::string sys() const { return (root_ / "sys").string(); }
    std::string dev() const { return (root_ / "dev").string(); }

    // A device as the kernel lays it out: the entry under bus/usb/devices is a link into
    // devices/, its interfaces are subdirectories with a driver link.
    void addDevice(const std::string& name, int bus, int number, const std::string& vendor,
                   const std::string& product, const std::string& serial, const std::string& driver,
                   const std::string& node = "") {
        fs::path real = root_ / "sys/devices/pci0000:00" / name;
        fs::create_directories(real);
        write(real / "idVendor", vendor + "\n");
        write(real / "idProduct", product + "\n");
        write(real / "busnum", std::to_string(bus) + "\n");
        write(real / "devnum", std::to_string(number) + "\n");
        if (!serial.empty()) {
            write(real / "serial", serial + "\n");
        }
        fs::path interface = real / (name + ":1.0");
        fs::create_directories(interface);
        fs::create_directory_symlink(root_ / "sys/bus/usb/drivers" / driver, interface / "driver");
        if (!node.empty()) {
            fs::create_directories(interface / "usbmisc" / node);
            write(root_ / "dev/usb" / node, "");
        }
        fs::create_directory_symlink(real, root_ / "sys/bus/usb/devices" / name);
        fs::create_directory_symlink(interface, root_ / "sys/bus/usb/devices" / (name + ":1.0"));
    }

  private:
    static void write(const fs::path& file, const std::string& text) {
        std::ofstream(file) << text;
    }
    fs::path root_;
};

const std::string kClass = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

TEST(UsbSysfs, PrintersBoundToUsblpAreListedInWindowsFormAndResolveToTheirNodes) {
    SysfsTree tree;
    tree.addDevice("1-1", 1, 2, "046d", "C52B", "", "usbhid");             // a mouse
    tree.addDevice("1-2", 1, 5, "F0A0", "0025", "SN#7/2", "usblp", "lp1"); // T90 Prime
    tree.addDevice("2-1.4", 2, 3, "f0a0", "0025", "", "usblp", "lp0");     // another, no serial

    std::vector<SysfsUsbDevice> devices = listSysfsUsbDevices(tree.sys(), tree.dev());
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].interfacePath, "\\\\?\\usb#vid_046d&pid_c52b#1-1" + kClass);
    EXPECT_EQ(devices[0].nodePath, "");
    // Separators in a serial number must not reach the path.
    EXPECT_EQ(devices[1].interfacePath, "\\\\?\\usb#vid_f0a0&pid_0025#SN_7_2" + kClass);
    EXPECT_EQ(devices[1].nodePath, tree.dev() + "/usb/lp1");
    EXPECT_EQ(devices[2].interfacePath, "\\\\?\\usb#vid_f0a0&pid_0025#2-1.4" + kClass);

    EXPECT_EQ(sysfsUsbNodeFor(devices[2].interfacePath, tree.sys(), tree.dev()),
              tree.dev() + "/usb/lp0");
    // Windows compares these paths without regard to case.
    EXPECT_EQ(
        sysfsUsbNodeFor("\\\\?\\USB#VID_F0A0&PID_0025#2-1.4" + kClass, tree.sys(), tree.dev()),
        tree.dev() + "/usb/lp0");
    EXPECT_EQ(sysfsUsbNodeFor("\\\\?\\usb#vid_f0a0&pid_0025#gone" + kClass, tree.sys(), tree.dev()),
              "");
}

// The system source and the resolver read the roots from the environment, as a user would
// point them at a copy of a machine's tree.
class SystemSourceOverTree : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("MIRELITH_SYSFS_ROOT", tree.sys().c_str(), 1);
        setenv("MIRELITH_DEV_ROOT", tree.dev().c_str(), 1);
    }
    void TearDown() override {
        unsetenv("MIRELITH_SYSFS_ROOT");
        unsetenv("MIRELITH_DEV_ROOT");
    }
    SysfsTree tree;
    UsbIdTables tables = buildUsbIdTables(defaultUsbIdValues());
    UsbDiscovery discovery{systemUsbDeviceSource(), tables, false};
};

TEST_F(SystemSourceOverTree, TwoPrintersAreNumberedAndOthersIgnored) {
    tree.addDevice("1-1", 1, 2, "1d6b", "0002", "", "usbhid");
    tree.addDevice("1-3", 1, 4, "f0a0", "0024", "STD1", "usblp", "lp0"); // T90 Standard
    tree.addDevice("1-4", 1, 7, "f0a0", "0025", "PRM1", "usblp", "lp1");
    tree.addDevice("1-5", 1, 9, "f0a0", "0025", "PRM2", "usblp", "lp2");

    std::vector<UsbDeviceEntry> list;
    discovery.enumerateUsbPrinters(1112, true, list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].displayName, "USB001:");
    EXPECT_EQ(list[0].devicePath, "\\\\?\\usb#vid_f0a0&pid_0025#PRM1" + kClass);
    EXPECT_EQ(list[1].displayName, "USB002:");
    EXPECT_EQ(resolveUsbDevicePath(list[1].devicePath), tree.dev() + "/usb/lp2");

    std::string path;
    discovery.findUsbDevicePath(1111, path);
    EXPECT_EQ(path, "\\\\?\\usb#vid_f0a0&pid_0024#STD1" + kClass);
}

TEST_F(SystemSourceOverTree, APrinterWhoseNodeCannotBeOpenedIsSkipped) {
    tree.addDevice("1-4", 1, 7, "f0a0", "0025", "PRM1", "usblp", "lp1");
    fs::remove(tree.dev() + "/usb/lp1"); // unplugged between the listing and the open
    std::string path = "none";
    discovery.findUsbDevicePath(1112, path);
    EXPECT_EQ(path, "none");
    EXPECT_EQ(resolveUsbDevicePath("\\\\?\\usb#vid_f0a0&pid_0025#PRM1" + kClass),
              tree.dev() + "/usb/lp1");
}

TEST(UsbSysfs, MissingTreeListsNothing) {
    EXPECT_TRUE(listSysfsUsbDevices("/nonexistent-sysfs", "/dev").empty());
    EXPECT_FALSE(isUsbInterfacePath("/dev/usb/lp0"));
    EXPECT_TRUE(isUsbInterfacePath("\\\\?\\USB#VID_0001"));
}

} // namespace
