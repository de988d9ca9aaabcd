// USB discovery and printer queue redirection against the running system's own services (the
// Setup API and winspool under Windows or Wine, sysfs and CUPS on Linux). On a build machine
// there is usually no USB printer and no printer queue: both must cope without harm.
#include "download/PrinterQueueRedirector.h"
#include "platform/Spooler.h"
#include "platform/UsbDeviceSource.h"
#include "ports/UsbDiscovery.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(SystemDiscovery, ListsOnlyWellFormedEntriesAndReleasesTheDeviceSet) {
    std::unique_ptr<UsbInterfaceSet> set = systemUsbDeviceSource().openInterfaceSet();
    ASSERT_NE(set, nullptr) << "the system refused to list USB devices";
    // Every interface the system reports has a path of the expected form.
    for (uint32_t index = 0; index < 256; ++index) {
        UsbInterfaceSet::EnumResult result = set->enumerateInterface(index);
        if (result == UsbInterfaceSet::EnumResult::NoMoreItems) {
            break;
        }
        if (result == UsbInterfaceSet::EnumResult::Found) {
            std::optional<std::string> path = set->interfacePath();
            ASSERT_TRUE(path.has_value());
            EXPECT_EQ(path->rfind("\\\\", 0), 0u) << *path;
        }
    }
    set.reset();

    const std::regex name("USB[0-9]{3}:");
    for (int32_t model : {1111, 1112, 300, 350205}) {
        std::vector<UsbDeviceEntry> list;
        enumerateUsbPrinters(model, true, list);
        for (size_t i = 0; i < list.size(); ++i) {
            EXPECT_TRUE(std::regex_match(list[i].displayName, name));
            EXPECT_EQ(list[i].devicePath.front(), '\\');
        }
        if (model == 350205) {
            EXPECT_TRUE(list.empty()) << "350205 must never be found";
        }
        std::string path = findUsbPrinterPort(model);
        EXPECT_EQ(path.empty(), list.empty());
    }
}

TEST(SystemSpooler, RedirectAndRestoreLeaveEveryQueueOnItsPort) {
    std::unique_ptr<Spooler> spooler = makeSystemSpooler();
    std::vector<PrinterQueueInfo> before = spooler->enumerateLocalQueues();
    {
        // A port name no queue uses, so nothing on this machine is disturbed.
        PrinterQueueRedirector redirector(*spooler);
        redirector.redirectPrinterQueues("COM199", "");
        EXPECT_TRUE(redirector.printerQueueRedirects().empty());
        redirector.restorePrinterQueues();
    }
    std::vector<PrinterQueueInfo> after = spooler->enumerateLocalQueues();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].printerName, before[i].printerName);
        EXPECT_EQ(after[i].portName, before[i].portName);
    }
    // The default constructor reaches the same spooler.
    PrinterQueueRedirector systemRedirector;
    systemRedirector.restorePrinterQueues();
    EXPECT_TRUE(systemRedirector.printerQueueRedirects().empty());
}

} // namespace
