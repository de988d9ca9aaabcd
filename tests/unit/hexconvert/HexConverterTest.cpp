#include "hexconvert/HexConverter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Well-formed records: `line` (the lead), then the fields and their check sum as hex digits.
std::string record(std::string line, std::vector<uint8_t> fields, bool intelSum) {
    unsigned sum = 0;
    for (const uint8_t b : fields)
        sum += b;
    fields.push_back(static_cast<uint8_t>(intelSum ? 0x100 - sum : ~sum));
    for (const uint8_t b : fields) {
        line += "0123456789ABCDEF"[b >> 4];
        line += "0123456789ABCDEF"[b & 15];
    }
    return line + "\n";
}

std::string intel(unsigned type, unsigned address, std::vector<uint8_t> data) {
    data.insert(data.begin(),
                {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                 static_cast<uint8_t>(address), static_cast<uint8_t>(type)});
    return record(":", data, true);
}

// S0, S1 and S9 carry 2 address bytes, S2 and S8 3, S3 and S7 4.
std::string srec(unsigned type, uint32_t address, std::vector<uint8_t> data) {
    const unsigned addressBytes = type <= 1 || type == 9 ? 2 : type == 2 || type == 8 ? 3 : 4;
    for (unsigned i = 0; i < addressBytes; ++i)
        data.insert(data.begin(), static_cast<uint8_t>(address >> (8 * i)));
    data.insert(data.begin(), static_cast<uint8_t>(data.size() + 1));
    return record(std::string("S") + std::to_string(type), data, false);
}

std::vector<uint8_t> bytes(size_t n, uint8_t first = 0) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(first + i);
    return v;
}

using Parts = std::vector<std::pair<size_t, std::vector<uint8_t>>>;

// The text converts to an image holding each part at its offset and 0xFF everywhere else.
::testing::AssertionResult converts(const std::string& text, const Parts& parts) {
    std::vector<uint8_t> image;
    const HexResult r = convertHexText(text, image);
    if (!r.ok())
        return ::testing::AssertionFailure() << describeHexResult(r);
    std::vector<uint8_t> expected(hexImageSize, 0xFF);
    for (const auto& [offset, data] : parts)
        std::copy(data.begin(), data.end(), expected.begin() + static_cast<long>(offset));
    if (image == expected)
        return ::testing::AssertionSuccess();
    const auto diff = std::mismatch(image.begin(), image.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure()
           << "image size " << image.size() << ", first difference at 0x" << std::hex
           << (diff.first - image.begin());
}

// The text is refused for `error`, at `line` and image `offset` where those are given.
::testing::AssertionResult refuses(const std::string& text, HexError error, uint64_t line = 0,
                                   int64_t offset = -1) {
    std::vector<uint8_t> image;
    const HexResult r = convertHexText(text, image);
    if (r.error == error && (line == 0 || r.line == line) && (offset < 0 || r.offset == offset))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << describeHexResult(r);
}

} // namespace

TEST(HexIntel, DataRecordsLandAtTheSegmentBasePlusTheirAddressAndType04IsIgnored) {
    EXPECT_TRUE(converts(":0400000001020304F2\n", {{0, {1, 2, 3, 4}}}));
    // Type 02 sets the base to 16 times its value; base + address reaches the image's top byte.
    EXPECT_TRUE(
        converts(intel(2, 0, {0x10, 0x00}) + ":0400000001020304F2\n", {{0x10000, {1, 2, 3, 4}}}));
    EXPECT_TRUE(converts(intel(2, 0, {0x30, 0x00}) + intel(0, 0xFFFC, {9, 8, 7, 6}),
                         {{0x3FFFC, {9, 8, 7, 6}}}));
    // An extended linear address record changes nothing: the data lands as if it were absent.
    EXPECT_TRUE(converts(intel(4, 0, {0x00, 0x03}) + intel(0, 0x0100, {0xAA, 0xBB}),
                         {{0x100, {0xAA, 0xBB}}}));
}

TEST(HexIntel, UpperDataWrappingOntoLowerDataFailsUnlessTheBytesAgree) {
    // A 128 KiB file addressed with type 04: its second 64 KiB folds onto the first.
    EXPECT_TRUE(refuses(intel(4, 0, {0, 0}) + intel(0, 0x0010, {1, 2, 3}) + intel(4, 0, {0, 1}) +
                            intel(0, 0x0010, {1, 2, 4}),
                        HexError::ConflictingByte, 4, 0x12));
    // The same bytes written twice are not a conflict; a record that starts before the earlier
    // data keeps its first byte.
    EXPECT_TRUE(
        converts(intel(0, 0x10, {1, 2, 3}) + intel(0, 0x11, {2, 3, 9}) + intel(0, 0x0F, {7, 1}),
                 {{0x0F, {7, 1, 2, 3, 9}}}));
}

TEST(HexIntel, RecordDetailsTheConverterDoesNotCheck) {
    // Wrong check sum, an end-of-file record followed by more data, and a start address record.
    EXPECT_TRUE(converts(":0400000001020304FF\n" + intel(1, 0, {}) + intel(3, 0, {0, 0, 0, 0}) +
                             intel(0, 8, {5}),
                         {{0, {1, 2, 3, 4}}, {8, {5}}}));
    // Only the second digit of the type is looked at: "10" reads as a data record.
    EXPECT_TRUE(converts(":0200101001020B\n", {{0x10, {1, 2}}}));
}

TEST(HexIntel, LineEndsAndDosEndOfFileMark) {
    // CR LF and LF mixed, blank lines, a last line without line end, a trailing Ctrl-Z line.
    EXPECT_TRUE(converts(":0200000001FC\r\n\r\n\n:02000200020AF2\n:01000400FFFC\r\n\x1A",
                         {{0, {1, 0xFC}}, {2, {2, 0x0A}}, {4, {0xFF}}}));
    // Ctrl-Z followed by more records: the lead check accepts it and reading goes on.
    EXPECT_TRUE(converts(":0100000011EE\n\x1A\n:0100010022DC", {{0, {0x11, 0x22}}}));
    // Lone CR line ends read as one line holding several records: refused where first met, before
    // any later record (here one that would conflict) is read.
    EXPECT_TRUE(refuses(":0200000001FC\n:02000200020AF2\r:01000400FFFC\r\n" + intel(0, 0, {0x22}),
                        HexError::LoneCarriageReturn, 2));
}

// A truncated file leaves a hole of 0xFF in the image, or moves the records after a cut
// segment address: refused wherever the cut falls, in the header, the segment or the data.
TEST(HexIntel, ARecordCutShortAnywhereFails) {
    EXPECT_TRUE(refuses(":0100000011EE\n:\n:0100010022DC\n", HexError::ShortRecord, 2));
    EXPECT_TRUE(refuses(":02000002100\n:01000100AAAA\n", HexError::ShortRecord, 1));
    // Four bytes announced, three present.
    EXPECT_TRUE(refuses(":0100000011EE\n:04000400010203\n", HexError::ShortRecord, 2));
    // The shortest whole records are still taken: an end-of-file record of no data.
    EXPECT_TRUE(converts(":0100000011EE\n:00000001FF\n", {{0, {0x11}}}));
}

TEST(HexSRecord, EachRecordTypeKeepsItsOwnAddressWidth) {
    // As srec_cat writes a file above 64 KiB: a header, S1 below, S2 above, then a trailer;
    // one line in lower case.
    std::string s1 = srec(1, 0xFFF8, bytes(8, 0x40));
    s1[0] = 's';
    EXPECT_TRUE(converts(srec(0, 0, {'h', 'i'}) + srec(1, 0x0000, bytes(16)) + s1 +
                             srec(2, 0x010000, bytes(16, 0x80)) + srec(8, 0x000000, {}),
                         {{0, bytes(16)}, {0xFFF8, bytes(8, 0x40)}, {0x10000, bytes(16, 0x80)}}));
    // S2 and S3 in one file, up to the last byte of the image.
    EXPECT_TRUE(converts(srec(2, 0x000100, {1}) + srec(3, 0x0003FFFE, {2, 3}) + srec(7, 0, {}),
                         {{0x100, {1}}, {0x3FFFE, {2, 3}}}));
}

TEST(HexSRecord, ByteCountsTooSmallOrTooLargeForTheLine) {
    // Count 04 in an S2 line: 3 address bytes + check sum, no data. Count 03: below that.
    EXPECT_TRUE(converts("S204000010EB\nS2030000\nS2050000300AC0\n", {{0x30, {0x0A}}}));
    // Count 08 with fewer than its 4 data bytes present: the record is cut short.
    EXPECT_TRUE(refuses("S2050000300AC0\nS20800002001027F\n", HexError::ShortRecord, 2));
    // Cut before its count is complete.
    EXPECT_TRUE(refuses("S2050000300AC0\nS20", HexError::ShortRecord, 2));
}

TEST(HexFormatChoice, RejectsWhatIsNotARecordFileOrMixesFormats) {
    EXPECT_TRUE(refuses("\n\r\n\n", HexError::NoFormat));
    // Only S2 or S3 records decide for S-records.
    EXPECT_TRUE(
        refuses(srec(0, 0, {}) + srec(1, 0, bytes(4)) + srec(9, 0, {}), HexError::NoFormat));
    EXPECT_TRUE(refuses(" :0400000001020304F2\n", HexError::BadLeadChar));
    EXPECT_TRUE(refuses("\x1A:0400000001020304F2\n", HexError::BadLeadChar));
    // Binary data.
    EXPECT_TRUE(refuses(std::string("\0:00000001FF\n", 13), HexError::BadLeadChar));

    // The undecided S0 header keeps the file open for Intel HEX; the S2 line then mismatches.
    EXPECT_TRUE(refuses("S00600004844521B\n:00000001FF\nS2050000300AC0\n", HexError::LeadMismatch));
    EXPECT_TRUE(refuses(srec(2, 0, {1}) + ":00000001FF\n", HexError::LeadMismatch));
}

TEST(HexLimits, TheImageTakesExactlyItsSizeInDataBytesAndNothingOutside) {
    std::string full;
    for (uint32_t a = 0; a < hexImageSize; a += 32)
        full += srec(3, a, bytes(32, static_cast<uint8_t>(a)));
    EXPECT_TRUE(converts(full, {{0, bytes(hexImageSize)}}));
    // One more byte, equal to what is already there, so only the count can refuse it.
    EXPECT_TRUE(refuses(full + srec(3, 0, {0}), HexError::TooManyBytes));

    EXPECT_TRUE(refuses(intel(2, 0, {0x40, 0x00}) + intel(0, 0, {1}), HexError::OutsideImage));
    EXPECT_TRUE(refuses(srec(3, 0xFFFFFFFF, {1}), HexError::OutsideImage));
    // A sign inside the address field reads like strtol: a negative offset.
    EXPECT_TRUE(refuses(":01-00100AA\n", HexError::OutsideImage));
}

TEST(HexDescription, EachRefusalNamesItsCauseAndTheLineAndOffsetWhereKnown) {
    const struct Case {
        std::string text;
        const char* description;
    } cases[] = {
        {"", "the input file is empty"},
        {"\n\n", "no Intel HEX, S2 or S3 record found"},
        {"\n x\n", "not an Intel HEX or S-record file: a line begins with something other than "
                   "':' or 'S' (line 2)"},
        // Checked while the image is filled: a bad line after the data still fails the file.
        {":0400000001020304F2\nS1050000AABB94\n",
         "a line does not belong to the file's record format (line 2)"},
        // Overlapping data that differs in its very first byte.
        {"\n" + intel(0, 0x1A, {1}) + intel(0, 0x1A, {2}),
         "two records give one address different values (line 3, offset 0x1A)"},
        {srec(3, 0x3FFFF, {1, 2}),
         "a data byte lies outside the 262144-byte image (line 1, offset 0x40000)"},
        {":0100000011EE\n:1007D", "a record is cut short: it ends inside its header, or has fewer "
                                  "data digits than its count (line 2)"},
        {":00\r:00\n", "a line end is a lone CR; only LF and CR LF end lines (line 1)"},
        {":0100000011EE\n", "converted"},
    };
    std::vector<uint8_t> image;
    for (const Case& c : cases)
        EXPECT_EQ(describeHexResult(convertHexText(c.text, image)), c.description);
    EXPECT_EQ(describeHexResult(convertHexPath("no/such/dir/x.hex", image)),
              "cannot open the input file");
}
