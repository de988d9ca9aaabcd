#include "download/HexConverter.h"

#include "HexTestRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace hextest;

namespace {

struct Converted {
    HexResult result;
    std::vector<uint8_t> image;
};

Converted convert(const std::string& text) {
    Converted c;
    c.result = convertHexText(text, c.image);
    return c;
}

// True when image holds `expected` at `offset` and 0xFF everywhere outside the listed ranges.
::testing::AssertionResult
holds(const std::vector<uint8_t>& image,
      const std::vector<std::pair<size_t, std::vector<uint8_t>>>& parts) {
    if (image.size() != hexImageSize)
        return ::testing::AssertionFailure() << "image size " << image.size();
    std::vector<uint8_t> expected(hexImageSize, 0xFF);
    for (const auto& [offset, data] : parts)
        std::copy(data.begin(), data.end(), expected.begin() + static_cast<long>(offset));
    auto diff = std::mismatch(image.begin(), image.end(), expected.begin());
    if (diff.first == image.end())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "first difference at offset 0x" << std::hex << (diff.first - image.begin()) << ": 0x"
           << int(*diff.first) << " instead of 0x" << int(*diff.second);
}

} // namespace

// --- Intel HEX -------------------------------------------------------------------------------

TEST(HexIntel, DataRecordsFillTheirAddressesAndLeaveTheRestFF) {
    auto c = convert(":0400000001020304F2\n");
    ASSERT_TRUE(c.result.ok()) << describeHexResult(c.result);
    EXPECT_EQ(c.result.format, HexFormat::IntelHex);
    EXPECT_EQ(c.result.dataBytes, 4u);
    EXPECT_TRUE(holds(c.image, {{0, {1, 2, 3, 4}}}));
}

TEST(HexIntel, SegmentRecordsMoveTheBaseAndType04IsIgnored) {
    auto c = convert(intelSegment(0x1000) + ":0400000001020304F2\n");
    ASSERT_TRUE(c.result.ok());
    EXPECT_TRUE(holds(c.image, {{0x10000, {1, 2, 3, 4}}}));

    // Base + address reaches the top byte of the image exactly.
    c = convert(intelSegment(0x3000) + intel(0, 0xFFFC, {9, 8, 7, 6}));
    ASSERT_TRUE(c.result.ok());
    EXPECT_TRUE(holds(c.image, {{0x3FFFC, {9, 8, 7, 6}}}));

    // An extended linear address record changes nothing: the data lands as if it were absent.
    c = convert(intel(4, 0, {0x00, 0x03}) + intel(0, 0x0100, {0xAA, 0xBB}));
    ASSERT_TRUE(c.result.ok());
    EXPECT_TRUE(holds(c.image, {{0x100, {0xAA, 0xBB}}}));
}

TEST(HexIntel, UpperDataWrappingOntoLowerDataFailsUnlessTheBytesAgree) {
    // A 128 KiB file addressed with type 04: its second 64 KiB folds onto the first.
    std::string text = intel(4, 0, {0, 0}) + intel(0, 0x0010, {1, 2, 3}) + intel(4, 0, {0, 1}) +
                       intel(0, 0x0010, {1, 2, 4});
    auto c = convert(text);
    EXPECT_EQ(c.result.error, HexError::ConflictingByte);
    EXPECT_EQ(c.result.offset, 0x12);
    EXPECT_EQ(c.result.line, 4u);

    // The same bytes written twice are not a conflict; a record that starts before the earlier
    // data keeps its first byte.
    c = convert(intel(0, 0x10, {1, 2, 3}) + intel(0, 0x11, {2, 3, 9}) + intel(0, 0x0F, {7, 1}));
    ASSERT_TRUE(c.result.ok());
    EXPECT_TRUE(holds(c.image, {{0x0F, {7, 1, 2, 3, 9}}}));

    // Overlapping data that differs in its very first byte.
    c = convert(intel(0, 0x10, {1, 2}) + intel(0, 0x10, {5, 2}));
    EXPECT_EQ(c.result.error, HexError::ConflictingByte);
    EXPECT_EQ(c.result.offset, 0x10);
}

TEST(HexIntel, RecordDetailsTheConverterDoesNotCheck) {
    // Wrong check sum, an end-of-file record followed by more data, and a start address record.
    auto c = convert(":0400000001020304FF\n" + intel(1, 0, {}) + intel(3, 0, {0, 0, 0, 0}) +
                     intel(0, 8, {5}));
    ASSERT_TRUE(c.result.ok());
    EXPECT_TRUE(holds(c.image, {{0, {1, 2, 3, 4}}, {8, {5}}}));

    // Only the second digit of the type is looked at: "10" reads as a data record.
    c = convert(":0200101001020B\n");
    ASSERT_TRUE(c.result.ok());
    EXPECT_TRUE(holds(c.image, {{0x10, {1, 2}}}));
}

TEST(HexIntel, LineEndsAndDosEndOfFileMark) {
    // CR LF and LF mixed, blank lines, a last line without line end, a trailing Ctrl-Z line.
    auto c = convert(":0200000001FC\r\n\r\n\n:02000200020AF2\n:01000400FFFC\r\n\x1A");
    ASSERT_TRUE(c.result.ok()) << describeHexResult(c.result);
    EXPECT_TRUE(holds(c.image, {{0, {1, 0xFC}}, {2, {2, 0x0A}}, {4, {0xFF}}}));

    // Lone CR line ends would read as one line holding only the first record: refused.
    c = convert(":0200000001FC\r:02000200020AF2\r");
    EXPECT_EQ(c.result.error, HexError::LoneCarriageReturn);

    // Ctrl-Z followed by more records: the lead check accepts it and reading goes on.
    c = convert(":0100000011EE\n\x1A\n:0100010022DC");
    ASSERT_TRUE(c.result.ok());
    EXPECT_TRUE(holds(c.image, {{0, {0x11, 0x22}}}));
}

TEST(HexIntel, LinesTooShortForTheirFieldsContributeNothingButCutDataFails) {
    auto c = convert(":0200000\n"        // no type digit
                     ":02000002100\n"    // segment value cut short: base stays 0
                     ":01000100AAAA\n"); // what a full record stores
    ASSERT_TRUE(c.result.ok());
    EXPECT_TRUE(holds(c.image, {{1, {0xAA}}}));

    // Four bytes announced, three present (a truncated file): a hole would go to the printer.
    c = convert(":0100000011EE\n:04000400010203\n");
    EXPECT_EQ(c.result.error, HexError::ShortRecord);
    EXPECT_EQ(c.result.line, 2u);
}

// --- S-records -------------------------------------------------------------------------------

TEST(HexSRecord, EachRecordTypeKeepsItsOwnAddressWidth) {
    // As srec_cat writes a file above 64 KiB: a header, S1 below, S2 above, then a trailer;
    // one line in lower case.
    std::string s1 = srec(1, 0xFFF8, bytes(8, 0x40));
    s1[0] = 's';
    auto c = convert(srec(0, 0, {'h', 'i'}) + srec(1, 0x0000, bytes(16)) + s1 +
                     srec(2, 0x010000, bytes(16, 0x80)) + srec(8, 0x000000, {}));
    ASSERT_TRUE(c.result.ok()) << describeHexResult(c.result);
    EXPECT_EQ(c.result.format, HexFormat::SRecord6);
    EXPECT_TRUE(
        holds(c.image, {{0, bytes(16)}, {0xFFF8, bytes(8, 0x40)}, {0x10000, bytes(16, 0x80)}}));

    // S2 and S3 in one file, up to the last byte of the image.
    c = convert(srec(2, 0x000100, {1}) + srec(3, 0x0003FFFE, {2, 3}) + srec(7, 0, {}));
    ASSERT_TRUE(c.result.ok());
    EXPECT_TRUE(holds(c.image, {{0x100, {1}}, {0x3FFFE, {2, 3}}}));
}

TEST(HexSRecord, FormatNeedsAnS2OrS3Record) {
    EXPECT_EQ(convert(srec(0, 0, {}) + srec(1, 0, bytes(4)) + srec(9, 0, {})).result.error,
              HexError::NoFormat);
}

TEST(HexSRecord, ByteCountsTooSmallOrTooLargeForTheLine) {
    // Count 04 in an S2 line: 3 address bytes + check sum, no data. Count 03: below that.
    auto c = convert("S204000010EB\nS2030000\nS2050000300AC0\n");
    ASSERT_TRUE(c.result.ok());
    EXPECT_TRUE(holds(c.image, {{0x30, {0x0A}}}));

    // Count 08 with fewer than its 4 data bytes present: the record is cut short.
    EXPECT_EQ(convert("S2050000300AC0\nS20800002001027F\n").result.error, HexError::ShortRecord);
}

// --- Choosing the format ---------------------------------------------------------------------

TEST(HexFormatChoice, RejectsWhatIsNotARecordFile) {
    EXPECT_EQ(convert("").result.error, HexError::Empty);
    EXPECT_EQ(convert("\n\r\n\n").result.error, HexError::NoFormat);
    EXPECT_EQ(convert(" :0400000001020304F2\n").result.error, HexError::BadLeadChar);
    EXPECT_EQ(convert("\x1A:0400000001020304F2\n").result.error, HexError::BadLeadChar);
    // Binary data: ELF header with NUL bytes.
    EXPECT_EQ(convert(std::string("\x7f"
                                  "ELF\x01\x01\x01\0\0\0",
                                  10))
                  .result.error,
              HexError::BadLeadChar);
    EXPECT_EQ(convert(std::string("\0:00000001FF\n", 13)).result.error, HexError::BadLeadChar);

    auto c = convert(":0400000001020304F2\nS1050000AABB94\n");
    EXPECT_EQ(c.result.error, HexError::LeadMismatch);
    EXPECT_EQ(c.result.line, 2u);
    // The undecided S1 header keeps the file open for Intel HEX; the S2 line then mismatches.
    EXPECT_EQ(convert("S00600004844521B\n:00000001FF\nS2050000300AC0\n").result.error,
              HexError::LeadMismatch);
    EXPECT_EQ(convert(srec(2, 0, {1}) + ":00000001FF\n").result.error, HexError::LeadMismatch);
}

TEST(HexFormatChoice, MismatchAfterTheDataStillFails) {
    // The lead check runs while the image is filled; a bad line at the very end must still
    // fail the whole file.
    std::string text;
    for (unsigned a = 0; a < 0x1000; a += 16)
        text += intel(0, a, bytes(16));
    EXPECT_EQ(convert(text + "garbage\n").result.error, HexError::LeadMismatch);
}

// --- Limits ----------------------------------------------------------------------------------

namespace {
std::string fullImageS3(size_t dataBytes) {
    std::string text;
    for (size_t a = 0; a < dataBytes; a += 32)
        text += srec(3, static_cast<uint32_t>(a), bytes(std::min<size_t>(32, dataBytes - a), a));
    return text;
}
} // namespace

TEST(HexLimits, ExactlyTheImageSizeInDataBytes) {
    auto c = convert(fullImageS3(hexImageSize));
    ASSERT_TRUE(c.result.ok()) << describeHexResult(c.result);
    EXPECT_EQ(c.result.dataBytes, hexImageSize);
    EXPECT_EQ(c.image[0x3FFFF], static_cast<uint8_t>(0x3FFE0 + 31));

    // One more byte, equal to what is already there, so only the count can refuse it.
    c = convert(fullImageS3(hexImageSize) + srec(3, 0, {0}));
    EXPECT_EQ(c.result.error, HexError::TooManyBytes);
}

TEST(HexLimits, DataOutsideTheImageFails) {
    auto c = convert(srec(3, 0x3FFFF, {1, 2}));
    EXPECT_EQ(c.result.error, HexError::OutsideImage);
    EXPECT_EQ(c.result.offset, 0x40000);
    EXPECT_EQ(convert(intelSegment(0x4000) + intel(0, 0, {1})).result.error,
              HexError::OutsideImage);
    EXPECT_EQ(convert(srec(3, 0xFFFFFFFF, {1})).result.error, HexError::OutsideImage);
    // A sign inside the address field reads like strtol: a negative offset.
    EXPECT_EQ(convert(":01-00100AA\n").result.error, HexError::OutsideImage);
}
