#include "ports/UsbDiscovery.h"

#include "support/FakeUsbSource.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

// With the placeholder identifiers: vendor A f0a0 (T90 Standard 1111 = pid 0024, T90 Prime
// 1112 = pid 0025, model 200 = pid 0001), vendor B f0b0 (model 300 = pid 0001).
std::string devicePath(const std::string& vendorAndProduct, const std::string& instance = "1") {
    return "\\\\?\\usb#" + vendorAndProduct + "#" + instance +
           "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
}

// A T90 Prime's path, told apart by its interface index; padded to the longest path that
// still fits (pad 0) or one character beyond it (pad 1).
std::string prime(size_t index, std::optional<size_t> pad = std::nullopt) {
    std::string path = devicePath("vid_f0a0&pid_0025", std::to_string(index));
    if (pad) {
        path.insert(26, kMaxUsbDevicePath - path.size() + *pad, 'x');
    }
    return path;
}

// The attached interfaces, one letter each: 'h' a hub that cannot be opened, 'p' a T90 Prime,
// 's' a T90 Standard, 'o' a model 200, 'b' a Prime in use elsewhere, 'f' an interface the
// system fails to describe, 'M' a Prime with the longest path allowed, 'L' one character longer.
std::vector<FakeUsbInterface> attached(const std::string& layout) {
    std::vector<FakeUsbInterface> list;
    for (size_t i = 0; i < layout.size(); ++i) {
        const char c = layout[i];
        const std::string path = c == 'h'   ? devicePath("vid_1d6b&pid_0002")
                                 : c == 's' ? devicePath("vid_f0a0&pid_0024")
                                 : c == 'o' ? devicePath("vid_f0a0&pid_0001")
                                 : c == 'M' ? prime(i, 0)
                                 : c == 'L' ? prime(i, 1)
                                            : prime(i);
        list.push_back(
            {c == 'f' ? UsbInterfaceSet::EnumResult::Failed : UsbInterfaceSet::EnumResult::Found,
             path, c != 'h' && c != 'b'});
    }
    return list;
}

std::vector<std::string> pathsOf(const std::vector<UsbDeviceEntry>& list) {
    std::vector<std::string> paths;
    for (const UsbDeviceEntry& entry : list) {
        paths.push_back(entry.devicePath);
    }
    return paths;
}

struct UsbDiscoveryTest : ::testing::Test {
    UsbIdTables tables = buildUsbIdTables(defaultUsbIdValues());
    FakeUsbSource source;
    UsbDiscovery discovery{source, tables, false};
    std::vector<UsbDeviceEntry> list;
};

TEST_F(UsbDiscoveryTest, ListsPrintersOfTheModelInIndexOrderAndNumbersOnFromTheList) {
    source.interfaces = attached("hpsp");
    std::vector<std::string> announced;
    const auto announce = [&](const UsbDeviceEntry& e) { announced.push_back(e.displayName); };
    discovery.enumerateUsbPrinters(1112, false, list, announce);
    // A second listing into the same list goes on from its size; a silent one announces nothing.
    discovery.enumerateUsbPrinters(1112, true, list, announce);
    ASSERT_THAT(pathsOf(list), ElementsAre(prime(1), prime(3), prime(1), prime(3)));
    EXPECT_EQ(list[3].displayName, "USB004:");
    EXPECT_THAT(announced, ElementsAre("USB001:", "USB002:"));
    EXPECT_EQ(source.setsReleased, 2);
}

TEST_F(UsbDiscoveryTest, VendorAIsTriedFirstAndAloneWhenPresentAndCaseCounts) {
    // Vendor A with an unknown product also carries vendor B's strings: vendor B is not tried.
    // The lower-case table does not match an upper-case path.
    source.interfaces = {{{}, devicePath("vid_f0a0&pid_00ff#vid_f0b0&pid_0001")},
                         {{}, "\\\\?\\USB#VID_F0A0&PID_0025#X"},
                         {{}, devicePath("vid_f0b0&pid_0001")}};
    discovery.enumerateUsbPrinters(300, true, list);
    discovery.enumerateUsbPrinters(1112, true, list);
    EXPECT_THAT(pathsOf(list), ElementsAre(devicePath("vid_f0b0&pid_0001")));
}

// Interfaces are looked at in batches of 8 up to the first batch end after anything could be
// opened; while nothing could, the batch end doubles, until the system has no more interfaces.
// A path too long for the device-path buffer is skipped and does not count as opened.
TEST_F(UsbDiscoveryTest, BatchesDoubleUntilAnInterfaceOpens) {
    const struct {
        std::string layout;
        uint32_t highestAsked;
        std::vector<std::string> found;
    } cases[] = {
        {"hhhohhhhhhph", 7, {}},
        {"hhhhhbhhhfhhhhhhhhhhphhhhhhhhhhhhhhhhhhh", 31, {prime(20)}},
        {std::string(70, 'h'), 70, {}},
        {"LhhhhhhhhM", 10, {prime(9, 0)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        FakeUsbSource fresh;
        fresh.interfaces = attached(c.layout);
        std::vector<UsbDeviceEntry> found;
        UsbDiscovery(fresh, tables, false).enumerateUsbPrinters(1112, true, found);
        EXPECT_EQ(fresh.highestIndexAsked, c.highestAsked);
        EXPECT_EQ(pathsOf(found), c.found);
        EXPECT_THAT(fresh.trialOpens, ::testing::Not(::testing::Contains(prime(0, 1))));
        EXPECT_EQ(fresh.setsReleased, 1);
    }
}

TEST_F(UsbDiscoveryTest, FindUsbDevicePathTakesTheFirstAndOtherwiseLeavesThePathAlone) {
    std::string path = "unchanged";
    discovery.findUsbDevicePath(1112, path);
    source.listingFails = true;
    discovery.findUsbDevicePath(1112, path);
    EXPECT_EQ(path, "unchanged");
    source.listingFails = false;
    source.interfaces = attached("spp");
    discovery.findUsbDevicePath(1112, path);
    EXPECT_EQ(path, prime(1));
}

// Windows 95/98/Me: the model comes from the registry's DeviceInstance text of the interface,
// matched against the upper-case table, which lacks some models (the T90 Prime among them).
TEST_F(UsbDiscoveryTest, NineXMatchesTheRegistryTextAgainstTheUpperCaseTable) {
    UsbDiscovery discovery9x{source, tables, true};
    const std::string key = "System\\CurrentControlSet\\Control\\DeviceClasses\\"
                            "{a5dcbf10-6530-11d2-901f-00c04fb951ed}\\##.#";
    const std::string paths[] = {"\\\\?\\usb#vid_f0a0&pid_0001#7", "\\\\?\\usb#vid_f0b0&pid_0001#2",
                                 "\\\\?\\usb#vid_f0a0&pid_0025#3"};
    const std::string texts[] = {"USB\\VID_F0A0&PID_0001\\7", "USB\\VID_F0B0&PID_0001\\2",
                                 "USB\\VID_F0A0&PID_0025\\3"};
    for (size_t i = 0; i < 3; ++i) {
        source.interfaces.push_back({{}, paths[i]});
        source.registry[key + paths[i].substr(4)] = texts[i]; // the key leaves out "\\?\"
    }
    source.interfaces.push_back({{}, "\\\\?\\x"}); // no registry key at all
    discovery9x.enumerateUsbPrinters(200, true, list);
    discovery9x.enumerateUsbPrinters(300, true, list);
    discovery9x.enumerateUsbPrinters(1112, true, list);
    EXPECT_THAT(pathsOf(list), ElementsAre(paths[0], paths[1]));
    EXPECT_EQ(discovery9x.lookupDeviceInstance(paths[0], 300), -1);
}

} // namespace
