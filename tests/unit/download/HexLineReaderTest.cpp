#include "download/HexLineReader.h"
#include "download/HexConverter.h"

#include "HexTestRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace hextest;

namespace {

// Hands out the text a few bytes at a time (1 to 7, cycling), so every line boundary falls at
// some point of a read; counts what it hands out.
class TrickleInput final : public HexInput {
  public:
    explicit TrickleInput(std::string text, size_t failAfter = SIZE_MAX)
        : text_(std::move(text)), failAfter_(failAfter) {}
    size_t read(char* buffer, size_t capacity) override {
        if (pos_ >= failAfter_) {
            failed_ = true;
            return 0;
        }
        size_t n = std::min({capacity, text_.size() - pos_, size_t{1} + step_++ % 7});
        std::memcpy(buffer, text_.data() + pos_, n);
        pos_ += n;
        handedOut += n;
        return n;
    }
    bool rewind() override {
        pos_ = 0;
        return canRewind;
    }
    bool failed() const override { return failed_; }

    bool canRewind = true;
    size_t handedOut = 0;

  private:
    std::string text_;
    size_t failAfter_;
    size_t pos_ = 0;
    size_t step_ = 0;
    bool failed_ = false;
};

// An endless file of one repeated line, cut off after `total` bytes (1 GiB and more cost
// nothing here), counting what the converter actually reads.
class RepeatingInput final : public HexInput {
  public:
    RepeatingInput(std::string line, uint64_t total) : line_(std::move(line)), total_(total) {}
    size_t read(char* buffer, size_t capacity) override {
        size_t n = 0;
        while (n < capacity && pos_ < total_) {
            buffer[n++] = line_[pos_ % line_.size()];
            ++pos_;
        }
        handedOut += n;
        return n;
    }
    bool rewind() override {
        pos_ = 0;
        return true;
    }
    uint64_t handedOut = 0;

  private:
    std::string line_;
    uint64_t total_;
    uint64_t pos_ = 0;
};

std::vector<std::string> linesOf(const std::string& text) {
    TrickleInput input(text);
    HexLineReader reader(input);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line))
        lines.emplace_back(line);
    return lines;
}

// For each line, whether it held a CR that was not part of its line end.
std::vector<bool> loneCrsOf(const std::string& text) {
    TrickleInput input(text);
    HexLineReader reader(input);
    std::vector<bool> lone;
    std::string_view line;
    while (reader.next(line))
        lone.push_back(reader.loneCarriageReturn());
    return lone;
}

} // namespace

TEST(HexLineReader, SplitsAtLfAndDropsTheCrBeforeIt) {
    using V = std::vector<std::string>;
    EXPECT_EQ(linesOf(""), V{});
    EXPECT_EQ(linesOf("a\r\nbc\n\n\r\nd"), (V{"a", "bc", "", "", "d"}));
    EXPECT_EQ(linesOf("a\rb\n"), (V{"a\rb"})); // a lone CR is not a line end
    EXPECT_EQ(linesOf("x\n"), (V{"x"}));       // no empty line after the last LF
    // Wherever the reads split them (1 to 7 bytes each): CR LF is a line end, a CR before
    // anything else is not, and neither is missing at the end of the input.
    using B = std::vector<bool>;
    EXPECT_EQ(loneCrsOf("a\rb\nc\r\nd\r"), (B{true, false, false}));
    EXPECT_EQ(loneCrsOf("\r\nab\rc\r\r\n:\r\n"), (B{false, true, false}));
    EXPECT_EQ(loneCrsOf(std::string(70000, 'x') + "\r\n" + std::string(70000, 'y') + "\ry\n"),
              (B{false, true}));
}

TEST(HexLineReader, KeepsOnlyTheStartOfAVeryLongLine) {
    std::string longLine = "S2" + std::string(3 * HexLineReader::chunkSize, '7') + "\r";
    auto lines = linesOf(longLine + "\nS9\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], longLine.substr(0, HexLineReader::keptChars));
    EXPECT_EQ(lines[1], "S9");
}

TEST(HexHugeInput, TheByteLimitStopsAGigabyteOfRecords) {
    // The same record forever: every byte agrees with itself, so only the count stops it.
    RepeatingInput input(intel(0, 0, bytes(16)), uint64_t{1} << 30);
    std::vector<uint8_t> image;
    HexResult r = convertHex(input, image);
    EXPECT_EQ(r.error, HexError::TooManyBytes);
    // Reading stopped soon after 16,384 records of 44 bytes, far from the end of the input.
    EXPECT_LT(input.handedOut, uint64_t{4} << 20);
}

TEST(HexHugeInput, ReadAndRewindFailuresFail) {
    std::string text;
    for (unsigned a = 0; a < 0x8000; a += 16)
        text += intel(0, a, bytes(16));
    std::vector<uint8_t> image;
    TrickleInput broken(text, text.size() / 2);
    EXPECT_EQ(convertHex(broken, image).error, HexError::ReadFailed);

    TrickleInput noRewind(text);
    noRewind.canRewind = false;
    EXPECT_EQ(convertHex(noRewind, image).error, HexError::ReadFailed);
}
