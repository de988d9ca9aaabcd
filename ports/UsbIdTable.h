#pragma once
// Vendor and product identifier strings that tell which printer model a USB device is.
//
// Two forms are kept: lower case ("vid_xxxx", "pid_xxxx") searched in a device interface path,
// and upper case ("VID_XXXX", "PID_XXXX") searched in the "DeviceInstance" registry text that
// Windows 95/98/Me keep. The built-in identifier values are placeholders; the real ones come
// from a text file beside the program (see loadUsbIdFile).
#include <cstdint>
#include <string>
#include <vector>

struct UsbProductId {
    std::string productId; // "pid_0001" or "PID_0001"
    int32_t modelCode = 0;
};

struct UsbVendorIds {
    std::string vendorId; // "vid_f0a0" or "VID_F0A0"
    std::vector<UsbProductId> products;
};

struct UsbIdTable {
    UsbVendorIds vendorA;
    UsbVendorIds vendorB;

    // The model code the text identifies, or -1. Vendor A is tried first: when the text carries
    // vendor A's string, only vendor A's products are tried (first hit in table order), and
    // vendor B is never considered. Case-sensitive substring tests.
    int32_t match(const std::string& text) const;
};

struct UsbIdTables {
    UsbIdTable lowerCase; // NT family: searched in the device path
    UsbIdTable upperCase; // Windows 95/98/Me: searched in the DeviceInstance text
};

// The model codes of vendor A's lower-case entries, in table order.
const std::vector<int32_t>& vendorAModelCodes();
// The single model code of vendor B.
int32_t vendorBModelCode();
// The one entry that can never match: its product string holds two tab characters.
constexpr int32_t kUnmatchableModelCode = 350205;

// Identifier values: four hexadecimal digits each, any case. Vendor A's products are keyed by
// model code; vendor B's single product is the one for vendorBModelCode().
struct UsbIdValues {
    std::string vendorA;
    std::string vendorB;
    std::vector<std::pair<int32_t, std::string>> products; // model code -> product digits
};

// Placeholder values: vendor A f0a0, vendor B f0b0, vendor A's products 0001, 0002, ... in
// table order, vendor B's product 0001. No real maker uses these vendor numbers.
UsbIdValues defaultUsbIdValues();

// Builds both forms from the values. Codes without a value keep their placeholder; the
// unmatchable entry keeps its tabs whatever the values say.
UsbIdTables buildUsbIdTables(const UsbIdValues& values);

// Reads identifier values from text, starting from the placeholders:
//   # comment                 (blank lines and lines starting with '#' are ignored)
//   vendor A f0a0             (vendor A's identifier)
//   vendor B 1a2b             (vendor B's identifier)
//   product 1112 0c3d         (the product identifier of model 1112; 300 is vendor B's)
// A line that is not one of these, a value that is not four hexadecimal digits, or a model code
// that is not in the table is rejected: its 1-based number is added to rejectedLines and it
// changes nothing.
UsbIdValues parseUsbIdText(const std::string& text, std::vector<int>* rejectedLines = nullptr);

// The tables for this run: the placeholders overridden by "usbids.txt" in the program's
// directory when that file can be read.
const UsbIdTables& activeUsbIdTables();
