// The table's rules read back the other way round: for each rule, the models that share each
// value, as the printers' download rules are published. A slip in one row (a settle interval, a
// bar position, a radio, a flag) shows as the model that left its list.
#include "models/ModelTable.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <vector>

namespace {

struct Group {
    uint32_t value;
    std::vector<int32_t> codes;
};

using Field = std::function<uint32_t(const ModelRow&)>;

// Every row of the table has its group's value, or `otherwise` when no group lists it; every
// listed code is a row of the table.
void expectRule(const char* rule, const Field& field, std::initializer_list<Group> groups,
                uint32_t otherwise) {
    for (const Group& group : groups) {
        for (int32_t code : group.codes) {
            EXPECT_EQ(modelRow(code).code, code) << rule << ": " << code << " is not in the table";
        }
    }
    for (const ModelRow& row : modelRows()) {
        uint32_t expected = otherwise;
        for (const Group& group : groups) {
            if (std::find(group.codes.begin(), group.codes.end(), row.code) != group.codes.end()) {
                expected = group.value;
            }
        }
        EXPECT_EQ(field(row), expected) << rule << " of model " << row.code;
    }
}

TEST(ModelTable, EachRuleListsItsModels) {
    expectRule(
        "bar after a TCP send", [](const ModelRow& r) { return r.networkProgress; },
        {{205, {310, 312}},
         {235, {330, 340, 3502, 3522, 35011, 350211}},
         {225,
          {380, 382, 1033, 1111, 1112, 2753, 3005, 3102, 3122, 3132, 3302, 3322, 3503, 3523, 5000,
           350111, 352111, 35011000}}},
        100);
    expectRule(
        "settle interval", [](const ModelRow& r) { return r.settleInterval; },
        {{600, {310, 312}},
         {270, {330, 1002, 35011000}},
         {200,
          {1033, 1111, 1112, 2753, 3005, 3102, 3122, 3132, 3302, 3322, 3503, 3523, 350111,
           352111}}},
        800);
    expectRule(
        "picture", [](const ModelRow& r) { return static_cast<uint32_t>(r.picture); },
        {{IDB_MODEL_142, {200, 2752, 2753}},
         {IDB_MODEL_143, {100, 101}},
         {IDB_MODEL_157, {300}},
         {IDB_MODEL_156, {350}},
         {IDB_MODEL_168, {310, 312, 3102, 3122, 3132}},
         {IDB_MODEL_172, {691}},
         {IDB_MODEL_165, {1032, 1033}},
         {IDB_MODEL_174, {1111, 1112}},
         {IDB_MODEL_166, {1502}},
         {IDB_MODEL_160,
          {203,  330,  340,  352,  380,  382,   1001,   1002,   1100,   3005,   3302,    3322,
           3502, 3503, 3522, 3523, 5000, 35011, 350111, 350205, 350211, 352111, 35011000}}},
        0);
    expectRule(
        "port radios", [](const ModelRow& r) { return uint32_t{r.ports}; },
        {{kComOnly, {350, 350205}}, {kComOrUsb, {691}}, {kNoEthernet, {1032, 1033, 1502}}},
        kAnyPort);
    // No model has two of these rules.
    expectRule(
        "flags", [](const ModelRow& r) { return uint32_t{r.flags}; },
        {{kSmallUsbPackets, {203, 352}},
         {kHeader, {1100}},
         {kHexInput, {100, 101}},
         {kFpgaCheck, {310, 312}}},
        0);
    expectRule(
        "USB identifiers", [](const ModelRow& r) { return static_cast<uint32_t>(r.usb); },
        {{static_cast<uint32_t>(UsbIds::VendorAAlsoUpper),
          {200, 100, 101, 203, 352, 1032, 35011, 350211, 2752}},
         {static_cast<uint32_t>(UsbIds::VendorB), {300}},
         {static_cast<uint32_t>(UsbIds::None), {350}}},
        static_cast<uint32_t>(UsbIds::VendorA));
}

// Vendor A's product numbers follow the table's order.
TEST(ModelTable, VendorAProductsInTableOrder) {
    std::vector<int32_t> vendorA;
    for (const ModelRow& row : modelRows()) {
        if (row.usb == UsbIds::VendorA || row.usb == UsbIds::VendorAAlsoUpper) {
            vendorA.push_back(row.code);
        }
    }
    EXPECT_EQ(vendorA, (std::vector<int32_t>{
                           200,    100,    101,    203,  352,    1032, 1502, 310,      312,  3502,
                           3522,   35011,  350211, 2752, 340,    1100, 330,  35011000, 1001, 1002,
                           350111, 352111, 3503,   3523, 350205, 1033, 691,  2753,     3102, 3122,
                           3132,   380,    382,    5000, 3005,   1111, 1112, 3302,     3322}));
}

} // namespace
