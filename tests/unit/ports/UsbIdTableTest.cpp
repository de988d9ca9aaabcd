#include "ports/UsbIdTable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace {
std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), ::toupper);
    return text;
}

// Whatever the values: every model of the lower-case table has a product identifier of its own,
// and the upper-case form carries the same identifiers, upper-cased, for the models it has.
void expectConsistentShape(const UsbIdTables& tables) {
    const auto& lower = tables.lowerCase.vendorA.products;
    ASSERT_EQ(lower.size(), 39u);
    std::map<int32_t, std::string> byCode;
    std::set<std::string> distinct;
    for (const auto& p : lower) {
        byCode[p.modelCode] = p.productId;
        distinct.insert(p.productId);
    }
    EXPECT_EQ(distinct.size(), 39u) << "two models share a product identifier";
    EXPECT_EQ(byCode[350205], "pid_\t\t");
    EXPECT_EQ(tables.upperCase.vendorA.products.size(), 9u);
    for (const auto& p : tables.upperCase.vendorA.products) {
        EXPECT_EQ(p.productId, upper(byCode[p.modelCode]));
    }
    EXPECT_EQ(tables.upperCase.vendorA.vendorId, upper(tables.lowerCase.vendorA.vendorId));
    EXPECT_EQ(tables.upperCase.vendorB.vendorId, upper(tables.lowerCase.vendorB.vendorId));
    ASSERT_EQ(tables.upperCase.vendorB.products.size(), 1u);
    EXPECT_EQ(tables.upperCase.vendorB.products[0].productId,
              upper(tables.lowerCase.vendorB.products[0].productId));
}

TEST(UsbIdTable, PlaceholdersAndFileValuesGiveTablesOfTheSameShape) {
    UsbIdTables placeholders = buildUsbIdTables(defaultUsbIdValues());
    expectConsistentShape(placeholders);
    EXPECT_EQ(placeholders.lowerCase.match("\\\\?\\usb#vid_f0a0&pid_0025#1#{x}"), 1112);
    EXPECT_EQ(placeholders.upperCase.match("USB\\VID_F0A0&PID_0001\\1"), 200);
    EXPECT_EQ(placeholders.lowerCase.match("usb#vid_f0b0&pid_0001#"), vendorBModelCode());
    EXPECT_EQ(placeholders.lowerCase.match("usb#vid_9999&pid_0001#"), -1); // another maker's

    std::vector<int> rejected;
    UsbIdValues values = parseUsbIdText("# identifiers of this site\n"
                                        "\n"
                                        "vendor A 1A2B\n"
                                        "vendor B 3c4d\n"
                                        "product 200 00AA\n"
                                        "product 1112 0bbb\n"
                                        "product 300 0ccc\n"
                                        "  product 1111   0ddd  \r\n",
                                        &rejected);
    EXPECT_TRUE(rejected.empty());
    UsbIdTables tables = buildUsbIdTables(values);
    expectConsistentShape(tables);
    EXPECT_EQ(tables.lowerCase.match("usb#vid_1a2b&pid_0bbb#"), 1112);
    EXPECT_EQ(tables.lowerCase.match("usb#vid_1a2b&pid_0ddd#"), 1111);
    EXPECT_EQ(tables.lowerCase.match("usb#vid_3c4d&pid_0ccc#"), 300);
    EXPECT_EQ(tables.upperCase.match("USB\\VID_1A2B&PID_00AA\\"), 200);
    // The placeholders of the replaced identifiers no longer match.
    EXPECT_EQ(tables.lowerCase.match("usb#vid_f0a0&pid_0025#"), -1);
    EXPECT_EQ(tables.lowerCase.match("usb#vid_1a2b&pid_0025#"), -1);
}

TEST(UsbIdTable, MalformedLinesAreRejectedAndChangeNothing) {
    std::vector<int> rejected;
    UsbIdValues values = parseUsbIdText("vendor A 12345\n"      // five digits
                                        "vendor C 1111\n"       // no such vendor
                                        "product 1112 xyz1\n"   // not hexadecimal
                                        "product 999 0001\n"    // not a model of the table
                                        "product 350205 0fff\n" // can never match
                                        "product 1112\n"        // value missing
                                        "product 1112 0001 extra\n"
                                        "product 11x2 0001\n"
                                        "vid_1234\n"
                                        "product 4294967496 0001\n", // 2^32 + 200
                                        &rejected);
    EXPECT_THAT(rejected, ::testing::ElementsAre(1, 2, 3, 4, 5, 6, 7, 8, 9, 10));
    const auto ids = [](const UsbIdTables& t) {
        std::vector<std::string> all{t.lowerCase.vendorA.vendorId};
        for (const auto& p : t.lowerCase.vendorA.products) {
            all.push_back(p.productId);
        }
        return all;
    };
    EXPECT_EQ(ids(buildUsbIdTables(values)), ids(buildUsbIdTables(defaultUsbIdValues())));
}
} // namespace
