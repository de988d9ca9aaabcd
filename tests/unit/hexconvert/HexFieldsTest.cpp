#include "hexconvert/HexFields.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// Every field of up to four characters over an alphabet of digits, signs, spaces, "0x" and
// non-digits reads exactly as the C library reads the same characters on their own, whatever
// stands before and after the field in the line.
TEST(HexFields, ReadLikeStrtolBase16WithinTheirOwnWidth) {
    const std::string alphabet = "0x1aF-+ \tgX\r";
    const size_t n = alphabet.size();
    for (size_t width = 1, combos = n; width <= 4; ++width, combos *= n) {
        for (size_t k = 0; k < combos; ++k) {
            std::string field;
            for (size_t i = 0, v = k; i < width; ++i, v /= n)
                field += alphabet[v % n];
            const long long expected = std::strtoll(field.c_str(), nullptr, 16);
            const std::string line = "x" + field + "7"; // a digit of the next field follows
            ASSERT_EQ(hexfields::read(line, 1, width), expected) << '"' << field << '"';
            if (width == 2) {
                ASSERT_EQ(hexfields::readByte(line, 1), static_cast<uint8_t>(expected))
                    << '"' << field << '"';
            }
        }
    }
    EXPECT_EQ(hexfields::read("FFFFFFFF", 0, 8), 0xFFFFFFFFll);
}
