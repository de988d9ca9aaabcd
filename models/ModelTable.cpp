#include "models/ModelTable.h"

#include "res/resource.h"

#include <array>

namespace {

constexpr uint8_t kNone = 0;

// clang-format off
// code, name, USB ids, network progress, settle interval, flags, picture, file filter, ports
constexpr std::array kRows = {
    ModelRow{200,      {},             UsbIds::VendorAAlsoUpper, 100, 800, kNone,            IDB_MODEL_142, kFlsFiles,      kAnyPort},
    ModelRow{100,      {},             UsbIds::VendorAAlsoUpper, 100, 800, kHexInput,        IDB_MODEL_143, kHexFiles,      kAnyPort},
    ModelRow{101,      {},             UsbIds::VendorAAlsoUpper, 100, 800, kHexInput,        IDB_MODEL_143, kHexFiles,      kAnyPort},
    ModelRow{203,      {},             UsbIds::VendorAAlsoUpper, 100, 800, kSmallUsbPackets, IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{352,      {},             UsbIds::VendorAAlsoUpper, 100, 800, kSmallUsbPackets, IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{1032,     {},             UsbIds::VendorAAlsoUpper, 100, 800, kNone,            IDB_MODEL_165, kFlsFiles,      kNoEthernet},
    ModelRow{1502,     {},             UsbIds::VendorA,          100, 800, kNone,            IDB_MODEL_166, kFlsFiles,      kNoEthernet},
    ModelRow{310,      {},             UsbIds::VendorA,          205, 600, kFpgaCheck,       IDB_MODEL_168, kFlsFiles,      kAnyPort},
    ModelRow{312,      {},             UsbIds::VendorA,          205, 600, kFpgaCheck,       IDB_MODEL_168, kFlsFiles,      kAnyPort},
    ModelRow{3502,     {},             UsbIds::VendorA,          235, 800, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{3522,     {},             UsbIds::VendorA,          235, 800, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{35011,    {},             UsbIds::VendorAAlsoUpper, 235, 800, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{350211,   {},             UsbIds::VendorAAlsoUpper, 235, 800, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{2752,     {},             UsbIds::VendorAAlsoUpper, 100, 800, kNone,            IDB_MODEL_142, kFlsFiles,      kAnyPort},
    ModelRow{340,      {},             UsbIds::VendorA,          235, 800, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{1100,     {},             UsbIds::VendorA,          100, 800, kHeader,          IDB_MODEL_160, kFlsOrBinFiles, kAnyPort},
    ModelRow{330,      {},             UsbIds::VendorA,          235, 270, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{35011000, {},             UsbIds::VendorA,          225, 270, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{1001,     {},             UsbIds::VendorA,          100, 800, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{1002,     {},             UsbIds::VendorA,          100, 270, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{350111,   {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{352111,   {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{3503,     {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{3523,     {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{350205,   {},             UsbIds::VendorA,          100, 800, kNone,            IDB_MODEL_160, kFlsFiles,      kComOnly},
    ModelRow{1033,     {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_165, kFlsFiles,      kNoEthernet},
    ModelRow{691,      {},             UsbIds::VendorA,          100, 800, kNone,            IDB_MODEL_172, kFlsFiles,      kComOrUsb},
    ModelRow{2753,     {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_142, kFlsFiles,      kAnyPort},
    ModelRow{3102,     {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_168, kFlsFiles,      kAnyPort},
    ModelRow{3122,     {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_168, kFlsFiles,      kAnyPort},
    ModelRow{3132,     {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_168, kFlsFiles,      kAnyPort},
    ModelRow{380,      {},             UsbIds::VendorA,          225, 800, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{382,      {},             UsbIds::VendorA,          225, 800, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{5000,     {},             UsbIds::VendorA,          225, 800, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{3005,     {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{1111,     "T90 Standard", UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_174, kFlsFiles,      kAnyPort},
    ModelRow{1112,     "T90 Prime",    UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_174, kFlsFiles,      kAnyPort},
    ModelRow{3302,     {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{3322,     {},             UsbIds::VendorA,          225, 200, kNone,            IDB_MODEL_160, kFlsFiles,      kAnyPort},
    ModelRow{300,      {},             UsbIds::VendorB,          100, 800, kNone,            IDB_MODEL_157, kFlsFiles,      kAnyPort},
    ModelRow{350,      {},             UsbIds::None,             100, 800, kNone,            IDB_MODEL_156, kFlsFiles,      kComOnly},
};
// clang-format on

// The named rows, gathered once: a view that stays valid for the program's life.
constexpr size_t namedCount() {
    size_t count = 0;
    for (const ModelRow& row : kRows) {
        count += row.name.empty() ? 0 : 1;
    }
    return count;
}

constexpr std::array<ModelRow, namedCount()> namedRows() {
    std::array<ModelRow, namedCount()> named{};
    size_t at = 0;
    for (const ModelRow& row : kRows) {
        if (!row.name.empty()) {
            named[at++] = row;
        }
    }
    return named;
}

constexpr auto kNamedRows = namedRows();
static_assert(!kNamedRows.empty(), "a name that is none of the table's gets the first named row");

// A second row for a code or a name would never be read: the first one found wins.
constexpr bool eachCodeAndNameOnce() {
    for (size_t i = 0; i < kRows.size(); ++i) {
        for (size_t j = i + 1; j < kRows.size(); ++j) {
            if (kRows[i].code == kRows[j].code ||
                (!kRows[i].name.empty() && kRows[i].name == kRows[j].name)) {
                return false;
            }
        }
    }
    return true;
}
static_assert(eachCodeAndNameOnce(), "one row per model code and per name");

// The file chooser offers HEX files exactly to the models whose input is converted from HEX.
constexpr bool hexFilterFollowsHexInput() {
    for (const ModelRow& row : kRows) {
        if (((row.flags & kHexInput) != 0) != (row.fileFilter == kHexFiles)) {
            return false;
        }
    }
    return true;
}
static_assert(hexFilterFollowsHexInput(), "HEX input and the HEX file filter go together");

} // namespace

std::span<const ModelRow> modelRows() {
    return kRows;
}

const ModelRow& modelRow(int32_t modelCode) {
    for (const ModelRow& row : kRows) {
        if (row.code == modelCode) {
            return row;
        }
    }
    return kUnknownModel;
}

std::span<const ModelRow> namedModelRows() {
    return kNamedRows;
}

int32_t modelCodeFor(std::string_view name) {
    for (const ModelRow& row : kNamedRows) {
        if (row.name == name) {
            return row.code;
        }
    }
    return kNamedRows.front().code;
}

bool isModelTableName(std::string_view name) {
    for (const ModelRow& row : kNamedRows) {
        if (row.name == name) {
            return true;
        }
    }
    return false;
}
