#pragma once
// Every printer model the program knows, one row each, with every rule that depends on the
// model: the name it can be chosen by, its USB identifiers, how the download is paced and
// checked, and what the main window and the port dialog offer for it. A new model is one row
// here; every other place reads this table.
#include "models/PortKind.h"

#include <cstdint>
#include <span>
#include <string_view>

// Where a model's USB product identifier comes from. Vendor A's products are numbered in table
// order (the defaults of the usbids.txt file); some of them are also in the upper-case table
// searched on Windows 95/98/Me. Vendor B has a single product.
enum class UsbIds : uint8_t { None, VendorA, VendorAAlsoUpper, VendorB };

// Rules that are on or off per model.
enum ModelFlag : uint8_t {
    kSmallUsbPackets = 1 << 0, // 64-byte writes on a USB interface path
    kHeader = 1 << 1,          // the image starts with the model's header
    kHexInput = 1 << 2,        // Intel HEX or S-record input, converted first
    kFpgaCheck = 1 << 3,       // version and FPGA type asked before the transfer
};

// The firmware chooser's filters, in "description|pattern|...||" form.
inline constexpr std::string_view kFlsFiles = "Firmware File(*.fls)|*.fls||";
inline constexpr std::string_view kHexFiles = "Firmware File(*.hex)|*.hex||";
inline constexpr std::string_view kFlsOrBinFiles =
    "Firmware File(*.fls)|*.fls|Firmware File(*.bin)|*.bin||";

// The port kinds a model may be attached by (the port dialog's radios), as a bit set.
inline constexpr uint8_t portBit(PortKind kind) {
    return static_cast<uint8_t>(1U << static_cast<int32_t>(kind));
}
inline constexpr uint8_t kAnyPort = 0x0F;
inline constexpr uint8_t kComOnly = portBit(PortKind::Com);
inline constexpr uint8_t kComOrUsb = portBit(PortKind::Com) | portBit(PortKind::Usb);
inline constexpr uint8_t kNoEthernet = kAnyPort & ~portBit(PortKind::Ethernet);

struct ModelRow {
    int32_t code;
    std::string_view name; // the name it is chosen by; empty: chosen by code only
    UsbIds usb;
    uint32_t networkProgress; // where the bar stands after the whole image went out over TCP
    uint32_t settleInterval;  // ms between the ticks that run the bar on while it writes
    uint8_t flags;            // ModelFlag bits
    int32_t picture;          // bitmap resource id of the main window's picture, 0 for none
    std::string_view fileFilter;
    uint8_t ports; // portBit() set
};

// The rules of a model that is not in the table.
inline constexpr ModelRow kUnknownModel{0, {}, UsbIds::None, 100, 800, 0, 0, kFlsFiles, kAnyPort};

// Every row, in the order of vendor A's USB product numbers.
std::span<const ModelRow> modelRows();

// The row of a model code; kUnknownModel for a code not in the table.
const ModelRow& modelRow(int32_t modelCode);

// The rows that have a name, in table order: the models that can be chosen by name.
std::span<const ModelRow> namedModelRows();

// The code of the row named exactly name; the first named row's code for any other name.
int32_t modelCodeFor(std::string_view name);

// Whether a row is named exactly name (any other name gets the first named row's code).
bool isModelTableName(std::string_view name);

// The header model images start with (a backspace, then "#mtms").
inline constexpr uint8_t kModelHeader[6] = {0x08, 0x23, 0x6D, 0x74, 0x6D, 0x73};
