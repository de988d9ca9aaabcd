#include "download/HexFields.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// Every field of up to four characters over an alphabet of digits, signs, spaces, "0x" and
// non-digits must read exactly as the C library reads the same characters on their own.
TEST(HexFields, ReadLikeStrtolBase16) {
    const std::string alphabet = "0x1aF-+ \tgX\r";
    const size_t n = alphabet.size();
    size_t checked = 0;
    for (size_t width = 1; width <= 4; ++width) {
        size_t combos = 1;
        for (size_t i = 0; i < width; ++i)
            combos *= n;
        for (size_t k = 0; k < combos; ++k) {
            std::string field;
            for (size_t i = 0, v = k; i < width; ++i, v /= n)
                field += alphabet[v % n];
            const long long expected = std::strtoll(field.c_str(), nullptr, 16);
            ASSERT_EQ(hexfields::read(field, 0, width), expected) << '"' << field << '"';
            if (width == 2) {
                ASSERT_EQ(hexfields::readByte(field, 0), static_cast<uint8_t>(expected))
                    << '"' << field << '"';
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 20000u);
}

TEST(HexFields, ReadsOnlyItsOwnWidth) {
    // Digits right after the field belong to the next field.
    EXPECT_EQ(hexfields::read("xx123456789", 2, 6), 0x123456);
    EXPECT_EQ(hexfields::read("FFFFFFFF", 0, 8), 0xFFFFFFFFll);
    EXPECT_EQ(hexfields::read("0x1", 0, 2), 0);      // "0x" with its digit outside the field
    EXPECT_EQ(hexfields::read(" 0x12", 0, 4), 1);    // the "2" is not part of the field
    EXPECT_EQ(hexfields::readByte("-1FF", 0), 0xFF); // a negative count wraps like a byte
}
