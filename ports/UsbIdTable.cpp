#include "ports/UsbIdTable.h"

#include "models/ModelTable.h"

#include "platform/UsbIdFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool isHexId(const std::string& digits) {
    return digits.size() == 4 && std::all_of(digits.begin(), digits.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
           });
}

std::string lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string raised(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string hexDigits(unsigned value) {
    static const char digits[] = "0123456789abcdef";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, value >>= 4) {
        text[static_cast<size_t>(i)] = digits[value & 0xF];
    }
    return text;
}

bool isKnownCode(int32_t code) {
    const auto& codes = vendorAModelCodes();
    return code == vendorBModelCode() || std::find(codes.begin(), codes.end(), code) != codes.end();
}

// The vendor A entries that the Windows 95/98/Me table also carries, in table order.
std::vector<int32_t> upperCaseCodes() {
    std::vector<int32_t> codes;
    for (const ModelRow& row : modelRows()) {
        if (row.usb == UsbIds::VendorAAlsoUpper) {
            codes.push_back(row.code);
        }
    }
    return codes;
}

std::string valueFor(const UsbIdValues& values, int32_t code) {
    std::string found;
    for (const auto& [entryCode, digits] : values.products) {
        if (entryCode == code) {
            found = digits; // the last value given wins
        }
    }
    return found;
}

int32_t matchProducts(const UsbVendorIds& vendor, const std::string& text) {
    for (const UsbProductId& product : vendor.products) {
        if (contains(text, product.productId)) {
            return product.modelCode;
        }
    }
    return -1;
}

} // namespace

int32_t UsbIdTable::match(const std::string& text) const {
    if (contains(text, vendorA.vendorId)) {
        return matchProducts(vendorA, text);
    }
    if (contains(text, vendorB.vendorId)) {
        return matchProducts(vendorB, text);
    }
    return -1;
}

const std::vector<int32_t>& vendorAModelCodes() {
    static const std::vector<int32_t> codes = [] {
        std::vector<int32_t> found;
        for (const ModelRow& row : modelRows()) {
            if (row.usb == UsbIds::VendorA || row.usb == UsbIds::VendorAAlsoUpper) {
                found.push_back(row.code);
            }
        }
        return found;
    }();
    return codes;
}

UsbIdValues defaultUsbIdValues() {
    UsbIdValues values;
    values.vendorA = "f0a0";
    values.vendorB = "f0b0";
    const auto& codes = vendorAModelCodes();
    for (size_t i = 0; i < codes.size(); ++i) {
        values.products.emplace_back(codes[i], hexDigits(static_cast<unsigned>(i + 1)));
    }
    values.products.emplace_back(vendorBModelCode(), "0001");
    return values;
}

UsbIdTables buildUsbIdTables(const UsbIdValues& values) {
    const UsbIdValues defaults = defaultUsbIdValues();
    auto digitsFor = [&](int32_t code) {
        std::string digits = valueFor(values, code);
        return isHexId(digits) ? lowered(digits) : valueFor(defaults, code);
    };
    auto vendorDigits = [](const std::string& given, const std::string& fallback) {
        return isHexId(given) ? lowered(given) : fallback;
    };
    const std::string vendorA = vendorDigits(values.vendorA, defaults.vendorA);
    const std::string vendorB = vendorDigits(values.vendorB, defaults.vendorB);

    UsbIdTables tables;
    tables.lowerCase.vendorA.vendorId = "vid_" + vendorA;
    for (int32_t code : vendorAModelCodes()) {
        // Two tabs where the digits belong: no device path carries them.
        std::string product = code == kUnmatchableModelCode ? "pid_\t\t" : "pid_" + digitsFor(code);
        tables.lowerCase.vendorA.products.push_back({product, code});
    }
    tables.lowerCase.vendorB.vendorId = "vid_" + vendorB;
    tables.lowerCase.vendorB.products.push_back(
        {"pid_" + digitsFor(vendorBModelCode()), vendorBModelCode()});

    tables.upperCase.vendorA.vendorId = "VID_" + raised(vendorA);
    for (int32_t code : upperCaseCodes()) {
        tables.upperCase.vendorA.products.push_back({"PID_" + raised(digitsFor(code)), code});
    }
    tables.upperCase.vendorB.vendorId = "VID_" + raised(vendorB);
    tables.upperCase.vendorB.products.push_back(
        {"PID_" + raised(digitsFor(vendorBModelCode())), vendorBModelCode()});
    return tables;
}

UsbIdValues parseUsbIdText(const std::string& text, std::vector<int>* rejectedLines) {
    UsbIdValues values = defaultUsbIdValues();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword[0] == '#') {
            continue;
        }
        std::string first;
        std::string second;
        std::string extra;
        bool accepted = false;
        if ((words >> first >> second) && !(words >> extra) && isHexId(second)) {
            if (keyword == "vendor" && (first == "A" || first == "B")) {
                (first == "A" ? values.vendorA : values.vendorB) = lowered(second);
                accepted = true;
            } else if (keyword == "product") {
                char* end = nullptr;
                long long code = std::strtoll(first.c_str(), &end, 10);
                // A number past the range of a model code must not wrap onto a real one.
                if (!first.empty() && *end == '\0' && code >= INT32_MIN && code <= INT32_MAX &&
                    code != kUnmatchableModelCode && isKnownCode(static_cast<int32_t>(code))) {
                    values.products.emplace_back(static_cast<int32_t>(code), lowered(second));
                    accepted = true;
                }
            }
        }
        if (!accepted && rejectedLines != nullptr) {
            rejectedLines->push_back(number);
        }
    }
    return values;
}

const UsbIdTables& activeUsbIdTables() {
    static const UsbIdTables tables = [] {
        std::ifstream file(usbIdFilePath(), std::ios::binary);
        if (!file) {
            return buildUsbIdTables(defaultUsbIdValues());
        }
        std::ostringstream text;
        text << file.rdbuf();
        return buildUsbIdTables(parseUsbIdText(text.str()));
    }();
    return tables;
}

int32_t vendorBModelCode() {
    for (const ModelRow& row : modelRows()) {
        if (row.usb == UsbIds::VendorB) {
            return row.code;
        }
    }
    return -1;
}
