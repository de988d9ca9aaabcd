#pragma once
// Reading the fixed-position numeric fields of HEX and S-record lines. A field is read the way
// strtol(field, nullptr, 16) reads the field's characters on their own: optional white space,
// an optional sign, an optional 0x, then hexadecimal digits up to the first other character;
// no digits at all read as 0.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace hexfields {

inline constexpr int8_t digitValue(unsigned char c) {
    return (c >= '0' && c <= '9')   ? static_cast<int8_t>(c - '0')
           : (c >= 'A' && c <= 'F') ? static_cast<int8_t>(c - 'A' + 10)
           : (c >= 'a' && c <= 'f') ? static_cast<int8_t>(c - 'a' + 10)
                                    : int8_t{-1};
}

struct DigitTable {
    int8_t value[256];
    constexpr DigitTable() : value{} {
        for (int c = 0; c < 256; ++c)
            value[c] = digitValue(static_cast<unsigned char>(c));
    }
};
inline constexpr DigitTable digits{};

inline int64_t readSlow(const char* p, size_t width) {
    size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < width && isSpace(p[i]))
        ++i;
    bool negative = false;
    if (i < width && (p[i] == '+' || p[i] == '-')) {
        negative = p[i] == '-';
        ++i;
    }
    // "0x" is a prefix only when a digit follows it; otherwise the "0" is the number.
    if (i + 2 < width && p[i] == '0' && (p[i + 1] == 'x' || p[i + 1] == 'X') &&
        digits.value[static_cast<unsigned char>(p[i + 2])] >= 0)
        i += 2;
    int64_t value = 0;
    for (; i < width; ++i) {
        int8_t d = digits.value[static_cast<unsigned char>(p[i])];
        if (d < 0)
            break;
        value = value * 16 + d;
    }
    return negative ? -value : value;
}

// The field of `width` (at most 8) characters at `pos`; the caller has checked that the line
// holds them.
inline int64_t read(std::string_view line, size_t pos, size_t width) {
    const char* p = line.data() + pos;
    int64_t value = 0;
    for (size_t i = 0; i < width; ++i) {
        int8_t d = digits.value[static_cast<unsigned char>(p[i])];
        if (d < 0)
            return readSlow(p, width);
        value = value * 16 + d;
    }
    return value;
}

// A two-digit data or count field, kept as the unsigned byte it is stored in.
inline uint8_t readByte(std::string_view line, size_t pos) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(line.data()) + pos;
    int8_t hi = digits.value[p[0]];
    int8_t lo = digits.value[p[1]];
    if ((hi | lo) >= 0)
        return static_cast<uint8_t>(hi * 16 + lo);
    return static_cast<uint8_t>(readSlow(line.data() + pos, 2));
}

} // namespace hexfields
