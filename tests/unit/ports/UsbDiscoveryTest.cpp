#include "ports/UsbDiscovery.h"

#include "support/FakeUsbSource.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using Enum = UsbInterfaceSet::EnumResult;

namespace {

// With the placeholder identifiers: vendor A f0a0 (T90 Standard 1111 = pid 0024, T90 Prime
// 1112 = pid 0025, model 200 = pid 0001), vendor B f0b0 (model 300 = pid 0001).
std::string devicePath(const std::string& vendor, const std::string& product,
                       const std::string& instance = "5&1a2b3c&0&1") {
    return "\\\\?\\usb#vid_" + vendor + "&pid_" + product + "#" + instance +
           "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
}

FakeUsbInterface device(const std::string& path, bool openable = true) {
    return {Enum::Found, path, openable};
}

FakeUsbInterface hub(bool openable = false) {
    return {Enum::Found, devicePath("1d6b", "0002"), openable};
}

class UsbDiscoveryTest : public ::testing::Test {
  protected:
    UsbIdTables tables = buildUsbIdTables(defaultUsbIdValues());
    FakeUsbSource source;
    UsbDiscovery discovery{source, tables, false};
    std::vector<UsbDeviceEntry> list;
};

TEST_F(UsbDiscoveryTest, ListsPrintersOfTheModelInIndexOrderAndNumbersOnFromTheList) {
    const std::string first = devicePath("f0a0", "0025", "A1");
    const std::string second = devicePath("f0a0", "0025", "B2");
    source.interfaces = {hub(), device(first), device(devicePath("f0a0", "0024")), device(second)};
    std::vector<std::string> announced;

    discovery.enumerateUsbPrinters(
        1112, false, list, [&](const UsbDeviceEntry& e) { announced.push_back(e.displayName); });
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].displayName, "USB001:");
    EXPECT_EQ(list[0].devicePath, first);
    EXPECT_EQ(list[1].displayName, "USB002:");
    EXPECT_EQ(list[1].devicePath, second);
    EXPECT_THAT(announced, ElementsAre("USB001:", "USB002:"));

    // A second listing into the same list goes on from its size; a silent one announces nothing.
    discovery.enumerateUsbPrinters(
        1112, true, list, [&](const UsbDeviceEntry& e) { announced.push_back(e.displayName); });
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[2].displayName, "USB003:");
    EXPECT_EQ(list[3].displayName, "USB004:");
    EXPECT_EQ(announced.size(), 2u);
    EXPECT_EQ(source.setsOpened, 2);
    EXPECT_EQ(source.setsReleased, 2);
}

TEST_F(UsbDiscoveryTest, VendorAIsTriedFirstAndAloneWhenPresent) {
    // Vendor A with an unknown product also carries vendor B's strings: vendor B is not tried.
    source.interfaces = {device("\\\\?\\usb#vid_f0a0&pid_00ff#vid_f0b0&pid_0001#x")};
    discovery.enumerateUsbPrinters(300, true, list);
    EXPECT_TRUE(list.empty());

    source.interfaces = {device(devicePath("f0b0", "0001"))};
    discovery.enumerateUsbPrinters(300, true, list);
    ASSERT_EQ(list.size(), 1u);

    // Matching is case-sensitive: an upper-case path is not in the lower-case table.
    list.clear();
    source.interfaces = {device("\\\\?\\USB#VID_F0A0&PID_0025#X")};
    discovery.enumerateUsbPrinters(1112, true, list);
    EXPECT_TRUE(list.empty());
}

TEST_F(UsbDiscoveryTest, StopsAtTheFirstBatchEndOnceAnythingOpened) {
    source.interfaces.assign(12, hub());
    source.interfaces[3] = device(devicePath("f0a0", "0001")); // opens, another model
    source.interfaces[10] = device(devicePath("f0a0", "0025"));
    discovery.enumerateUsbPrinters(1112, true, list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(source.highestIndexAsked, 7u);
}

TEST_F(UsbDiscoveryTest, DoublesTheBatchWhileNothingCouldBeOpened) {
    source.interfaces.assign(40, hub());
    source.interfaces[5] = device(devicePath("f0a0", "0025"), false); // in use elsewhere
    source.interfaces[9] = {Enum::Failed, std::nullopt, true};
    source.interfaces[20] = device(devicePath("f0a0", "0025"));
    discovery.enumerateUsbPrinters(1112, true, list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].devicePath, devicePath("f0a0", "0025"));
    EXPECT_EQ(source.highestIndexAsked, 31u); // batches 8, 16, 32

    // Nothing openable at all: on until the system reports no more interfaces.
    source.interfaces.assign(70, hub());
    source.highestIndexAsked = 0;
    discovery.enumerateUsbPrinters(1112, true, list);
    EXPECT_EQ(source.highestIndexAsked, 70u);
    EXPECT_EQ(source.setsReleased, source.setsOpened);
}

TEST_F(UsbDiscoveryTest, OverlongPathsAreSkippedAndDoNotCountAsOpened) {
    std::string longest = devicePath("f0a0", "0025", "");
    longest.insert(30, kMaxUsbDevicePath - longest.size(), 'x');
    ASSERT_EQ(longest.size(), 255u);
    std::string tooLong = longest;
    tooLong.insert(30, "y");

    source.interfaces.assign(10, hub());
    source.interfaces[0] = device(tooLong);
    source.interfaces[9] = device(longest);
    discovery.enumerateUsbPrinters(1112, true, list);
    // Had the long one counted as opened, enumeration would have ended at index 7.
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].devicePath, longest);
    EXPECT_THAT(source.trialOpens, Not(Contains(tooLong)));
    EXPECT_EQ(source.trialOpens.back(), longest);
}

TEST_F(UsbDiscoveryTest, FindUsbDevicePathTakesTheFirstAndOtherwiseLeavesThePathAlone) {
    std::string path = "unchanged";
    discovery.findUsbDevicePath(1112, path);
    EXPECT_EQ(path, "unchanged");

    source.listingFails = true;
    discovery.findUsbDevicePath(1112, path);
    EXPECT_EQ(path, "unchanged");

    source.listingFails = false;
    source.interfaces = {device(devicePath("f0a0", "0024")),
                         device(devicePath("f0a0", "0025", "1")),
                         device(devicePath("f0a0", "0025", "2"))};
    discovery.findUsbDevicePath(1112, path);
    EXPECT_EQ(path, devicePath("f0a0", "0025", "1"));
}

class UsbDiscovery9xTest : public UsbDiscoveryTest {
  protected:
    UsbDiscovery discovery9x{source, tables, true};
    const std::string key = "System\\CurrentControlSet\\Control\\DeviceClasses\\"
                            "{a5dcbf10-6530-11d2-901f-00c04fb951ed}\\##.#";
};

TEST_F(UsbDiscovery9xTest, MatchesTheRegistryTextAgainstTheUpperCaseTable) {
    const std::string printer = "\\\\?\\usb#vid_f0a0&pid_0001#7&11#{guid}";
    const std::string other = "\\\\?\\usb#vid_f0b0&pid_0001#2#{guid}";
    const std::string prime = "\\\\?\\usb#vid_f0a0&pid_0025#3#{guid}";
    source.interfaces = {device(printer), device(other), device(prime), device("\\\\?\\x")};
    source.registry[key + "usb#vid_f0a0&pid_0001#7&11#{guid}"] = "USB\\VID_F0A0&PID_0001\\7&11";
    source.registry[key + "usb#vid_f0b0&pid_0001#2#{guid}"] = "USB\\VID_F0B0&PID_0001\\2";
    // A model that only the lower-case table knows is not found this way.
    source.registry[key + "usb#vid_f0a0&pid_0025#3#{guid}"] = "USB\\VID_F0A0&PID_0025\\3";

    discovery9x.enumerateUsbPrinters(200, true, list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].devicePath, printer);
    EXPECT_EQ(source.registryKeysRead.size(), 4u);
    EXPECT_EQ(source.registryKeysRead[3], key + "x"); // the "\\?\" prefix is cut off

    list.clear();
    discovery9x.enumerateUsbPrinters(300, true, list);
    EXPECT_EQ(list.size(), 1u);
    list.clear();
    discovery9x.enumerateUsbPrinters(1112, true, list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(discovery9x.lookupDeviceInstance(printer, 300), -1);
    EXPECT_EQ(discovery9x.lookupDeviceInstance("\\\\?\\usb#missing", 200), -1);
}

} // namespace
