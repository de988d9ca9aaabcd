#include "hexconvert/HexLineReader.h"
#include "hexconvert/HexConverter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Hands out `text` over and over up to `total` bytes (a gigabyte costs nothing until read), a
// few bytes at a time (1 to 7, cycling) so every line boundary falls at some point of a read;
// fails from byte failAt on.
class ScriptedInput final : public HexInput {
  public:
    ScriptedInput(std::string text, uint64_t total, uint64_t failAt = UINT64_MAX)
        : text_(std::move(text)), total_(total), failAt_(failAt) {}
    size_t read(char* buffer, size_t capacity) override {
        failed_ = position >= failAt_;
        const uint64_t n =
            failed_ ? 0 : std::min<uint64_t>({capacity, total_ - position, 1 + step_++ % 7});
        for (uint64_t i = 0; i < n; ++i)
            buffer[i] = text_[(position + i) % text_.size()];
        position += n;
        return static_cast<size_t>(n);
    }
    bool rewind() override {
        position = 0;
        return canRewind;
    }
    bool failed() const override { return failed_; }

    bool canRewind = true;
    uint64_t position = 0; // the next byte handed out, counted from the last rewind

  private:
    std::string text_;
    uint64_t total_;
    uint64_t failAt_;
    uint64_t step_ = 0;
    bool failed_ = false;
};

struct Lines {
    std::vector<std::string> text;
    std::vector<bool> loneCr; // whether the line held a CR that was not part of its line end
};

Lines linesOf(const std::string& text) {
    ScriptedInput input(text, text.size());
    HexLineReader reader(input);
    Lines lines;
    std::string_view line;
    while (reader.next(line)) {
        lines.text.emplace_back(line);
        lines.loneCr.push_back(reader.loneCarriageReturn());
    }
    return lines;
}

} // namespace

TEST(HexLineReader, SplitsAtLfDropsTheCrBeforeItAndKeepsTheStartOfALongLine) {
    using V = std::vector<std::string>;
    EXPECT_EQ(linesOf("").text, V{});
    EXPECT_EQ(linesOf("a\r\nbc\n\n\r\nd").text, (V{"a", "bc", "", "", "d"}));
    EXPECT_EQ(linesOf("a\rb\n").text, (V{"a\rb"})); // a lone CR is not a line end
    EXPECT_EQ(linesOf("x\n").text, (V{"x"}));       // no empty line after the last LF
    // Wherever the reads split them: CR LF is a line end, a CR before anything else is not, and
    // neither is missing at the end of the input.
    using B = std::vector<bool>;
    EXPECT_EQ(linesOf("a\rb\nc\r\nd\r").loneCr, (B{true, false, false}));
    EXPECT_EQ(linesOf("\r\nab\rc\r\r\n:\r\n").loneCr, (B{false, true, false}));
    EXPECT_EQ(linesOf(std::string(70000, 'x') + "\r\n" + std::string(70000, 'y') + "\ry\n").loneCr,
              (B{false, true}));
    // Of a very long line only the start is kept.
    const std::string longLine = "S2" + std::string(3 * HexLineReader::chunkSize, '7') + "\r";
    EXPECT_EQ(linesOf(longLine + "\nS9\n").text,
              (V{longLine.substr(0, HexLineReader::keptChars), "S9"}));

    // The end of the input is final until a rewind, even if the input has more after it.
    ScriptedInput input("x\n", 2);
    HexLineReader reader(input);
    std::string_view line;
    EXPECT_TRUE(reader.next(line) && !reader.next(line));
    input.position = 0; // the input would hand out "x\n" again
    EXPECT_FALSE(reader.next(line));
    EXPECT_TRUE(reader.rewind() && reader.next(line) && line == "x");
}

TEST(HexHugeInput, TheByteLimitOrAFailedReadStopsAGigabyteOfRecords) {
    // The same record forever: every byte agrees with itself, so only the count stops it, soon
    // after 16,384 records of 44 bytes and far from the end of the input.
    const std::string record = ":10000000000102030405060708090A0B0C0D0E0F78\n";
    std::vector<uint8_t> image;
    ScriptedInput endless(record, uint64_t{1} << 30);
    EXPECT_EQ(convertHex(endless, image).error, HexError::TooManyBytes);
    EXPECT_LT(endless.position, uint64_t{4} << 20);

    // Reading fails in the first pass, or part way through the second.
    for (const uint64_t failAt : {uint64_t{0}, uint64_t{100000}}) {
        ScriptedInput broken(record, uint64_t{1} << 30, failAt);
        EXPECT_EQ(convertHex(broken, image).error, HexError::ReadFailed) << failAt;
    }
    ScriptedInput noRewind(record, record.size());
    noRewind.canRewind = false;
    EXPECT_EQ(convertHex(noRewind, image).error, HexError::ReadFailed);
}
