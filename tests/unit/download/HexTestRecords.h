#pragma once
// Builders for well-formed Intel HEX and S-record lines, check sums included.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace hextest {

inline std::string hexByte(unsigned v) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", v & 0xFF);
    return text;
}

inline std::string intel(unsigned type, unsigned address, const std::vector<uint8_t>& data) {
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    // Appended piece by piece: GCC 12 warns falsely about "literal" + std::string&&.
    std::string line = ":";
    line += hexByte(static_cast<unsigned>(data.size()));
    line += hexByte(address >> 8);
    line += hexByte(address);
    line += hexByte(type);
    for (uint8_t b : data) {
        line += hexByte(b);
        sum += b;
    }
    return line + hexByte(0x100 - (sum & 0xFF)) + "\n";
}

inline std::string intelSegment(unsigned segment) {
    return intel(2, 0, {static_cast<uint8_t>(segment >> 8), static_cast<uint8_t>(segment)});
}

// type 1, 2 or 3: 2, 3 or 4 address bytes.
inline std::string srec(unsigned type, uint32_t address, const std::vector<uint8_t>& data) {
    const unsigned addressBytes = type == 0 || type == 1 || type == 9 ? 2
                                  : type == 2 || type == 8            ? 3
                                                                      : 4;
    const unsigned count = addressBytes + static_cast<unsigned>(data.size()) + 1;
    std::string line = "S";
    line += std::to_string(type);
    line += hexByte(count);
    unsigned sum = count;
    for (unsigned i = addressBytes; i-- > 0;) {
        unsigned b = (address >> (8 * i)) & 0xFF;
        line += hexByte(b);
        sum += b;
    }
    for (uint8_t b : data) {
        line += hexByte(b);
        sum += b;
    }
    return line + hexByte(~sum) + "\n";
}

inline std::vector<uint8_t> bytes(size_t n, uint8_t first = 0) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(first + i);
    return v;
}

} // namespace hextest
