// The two readers of the FPGA check: the image's device type and the printer's version reply.
#include "download/FpgaCheck.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> header(uint8_t b41, uint8_t b42) {
    std::vector<uint8_t> image(64, 0);
    image[9] = 'D';
    image[40] = 0xCF;
    image[41] = b41;
    image[42] = b42;
    image[43] = 0x03;
    return image;
}

int32_t version(const char* reply) {
    uint8_t buffer[20] = {};
    std::memcpy(buffer, reply, std::min<size_t>(std::strlen(reply), 20));
    return printerVersionAbove134(buffer, sizeof buffer);
}

TEST(EngineFpgaRules, ImageType) {
    auto image = header('A', 0xA1);
    EXPECT_EQ(imageFpgaType(310, image.data(), 64), 1);
    EXPECT_EQ(imageFpgaType(312, image.data(), 64), 1);
    EXPECT_EQ(imageFpgaType(311, image.data(), 64), -1); // only 310 and 312 have the rule
    EXPECT_EQ(imageFpgaType(310, image.data(), 43), -1); // too short to hold byte 43

    EXPECT_EQ(imageFpgaType(310, header('A', 0x00).data(), 64), 0);
    EXPECT_EQ(imageFpgaType(310, header('!', 0x00).data(), 64), 2);
    EXPECT_EQ(imageFpgaType(310, header('B', 0xA1).data(), 64), -1);

    auto badTail = header('A', 0xA1);
    badTail[43] = 0x04;
    EXPECT_EQ(imageFpgaType(310, badTail.data(), 64), -1);
    auto badLead = header('A', 0xA1);
    badLead[40] = 0xCE;
    EXPECT_EQ(imageFpgaType(310, badLead.data(), 64), -1);

    // "Designer" is looked for one past the "D".
    auto designer = header('A', 0xA1);
    std::memcpy(designer.data() + 10, "Designer", 8);
    EXPECT_EQ(imageFpgaType(310, designer.data(), 64), -1);
    auto designerAt9 = header('A', 0xA1);
    std::memcpy(designerAt9.data() + 9, "Designer", 8);
    EXPECT_EQ(imageFpgaType(310, designerAt9.data(), 64), 1);
}

TEST(EngineFpgaRules, VersionAbove134) {
    EXPECT_EQ(version("_1.35"), 1);
    EXPECT_EQ(version("_1.34"), 0); // single-precision 1.34 is slightly above 1.34
    EXPECT_EQ(version("_1.20"), 0);
    EXPECT_EQ(version("_2.00"), 1);
    EXPECT_EQ(version("_10.01"), 1);
    EXPECT_EQ(version("_1.3"), 0);
    EXPECT_EQ(version("_"), 0);
    EXPECT_EQ(version(""), 0);
    EXPECT_EQ(version("_abc"), 0);
    // Five characters from index 1; the minor part is their last two: "5 " reads as 5.
    EXPECT_EQ(version("_1.35 and a tail"), 0);
    EXPECT_EQ(version("_1.45 and a tail"), 0);
    // A reply without any zero byte stays inside its 20 bytes.
    uint8_t full[20];
    std::memset(full, '9', sizeof full);
    EXPECT_EQ(printerVersionAbove134(full, sizeof full), 1);
}

TEST(EngineFpgaRules, PrinterTypeDigit) {
    EXPECT_EQ(printerFpgaType('0'), 0);
    EXPECT_EQ(printerFpgaType('4'), 1);
    EXPECT_EQ(printerFpgaType('8'), 2);
    EXPECT_EQ(printerFpgaType('c'), 3);
    EXPECT_EQ(printerFpgaType('C'), 3);
    EXPECT_EQ(printerFpgaType('f'), 3);
    EXPECT_EQ(printerFpgaType('B'), 2);
    EXPECT_NE(printerFpgaType(0x00), 0); // a NUL is no digit of any type
}

} // namespace
