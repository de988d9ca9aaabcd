#pragma once
// Splits a HexInput into lines, reading it in fixed-size chunks. A line ends at LF; a CR
// right before the LF belongs to the line end. Any other CR is reported, so that a file with
// lone CR line ends (which would read as one long line) is refused instead of read in part. Only
// the first keptChars characters of a line that crosses a chunk boundary are kept, which is more
// than any record field needs, so a line of any length costs bounded memory.
#include "hexconvert/HexConverter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

class HexLineReader {
  public:
    // Longest prefix a record rule reads: ':' + count + address + type + 255 data bytes.
    static constexpr size_t keptChars = 1024;
    static constexpr size_t chunkSize = 64 * 1024;

    explicit HexLineReader(HexInput& input) : input_(input) {}

    // The next line without its line end, false at the end of the input. The view stays
    // valid until the next call.
    bool next(std::string_view& line);
    // Whether the line last returned holds a CR that is not part of its CR LF line end.
    bool loneCarriageReturn() const { return loneCr_; }
    // 1-based number of the line last returned.
    uint64_t lineNumber() const { return lineNumber_; }
    // Starts over at the first byte; false if the input cannot rewind.
    bool rewind();

  private:
    bool refill();

    HexInput& input_;
    std::array<char, chunkSize> chunk_{};
    size_t pos_ = 0;
    size_t end_ = 0;
    bool atEnd_ = false;
    std::array<char, keptChars> carry_{};
    uint64_t lineNumber_ = 0;
    bool loneCr_ = false;
};
