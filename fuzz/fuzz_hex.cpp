// Feeds arbitrary bytes to the HEX/S-record converter, read in small pieces so lines cross
// read boundaries, and checks what must hold whatever the input: no crash, no access outside
// the image (the sanitizers watch), a full-size image on success, and the same result when
// the input arrives in one piece.
#include "hexconvert/HexConverter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

class PiecewiseInput final : public HexInput {
  public:
    PiecewiseInput(std::string_view text, size_t piece) : text_(text), piece_(piece) {}
    size_t read(char* buffer, size_t capacity) override {
        size_t n = std::min({capacity, piece_, text_.size() - pos_});
        std::memcpy(buffer, text_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    bool rewind() override {
        pos_ = 0;
        return true;
    }

  private:
    std::string_view text_;
    size_t piece_;
    size_t pos_ = 0;
};

// The conversion rules written the plain way: whole lines, two full passes, every field through
// strtoll, every byte checked one at a time. Slow, but easy to trust; the real converter must
// agree with it on success or failure and on every byte of a successful image.
bool reference(std::string_view text, std::vector<uint8_t>& image) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        size_t end = lf == std::string_view::npos ? text.size() : lf;
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // Any CR left is a lone one (old Mac line ends): reading on would merge records.
        if (line.find('\r') != std::string::npos)
            return false;
        lines.push_back(line);
        start = end + 1;
    }
    if (lines.empty())
        return false;
    char format = 0; // 0 while undecided, then ':' or 'S'
    for (const std::string& line : lines) {
        if (line.empty())
            continue;
        if (format == 0) {
            if (line[0] == 'S' || line[0] == 's') {
                if (line.size() >= 2 && (line[1] == '2' || line[1] == '3'))
                    format = 'S';
            } else if (line[0] == ':') {
                format = ':';
            } else {
                return false;
            }
        } else if ((line[0] & 0xDF) != (format & 0xDF)) {
            return false;
        }
    }
    if (format == 0)
        return false;

    auto field = [](const std::string& line, size_t pos, size_t width) {
        return std::strtoll(line.substr(pos, width).c_str(), nullptr, 16);
    };
    image.assign(hexImageSize, 0xFF);
    std::vector<bool> seen(hexImageSize);
    size_t written = 0;
    long long base = 0;
    auto put = [&](long long offset, uint8_t value) {
        if (written >= hexImageSize || offset < 0 || offset >= (long long)hexImageSize)
            return false;
        if (seen[offset] && image[offset] != value)
            return false;
        seen[offset] = true;
        image[offset] = value;
        ++written;
        return true;
    };
    for (const std::string& line : lines) {
        if (line.empty())
            continue;
        if (format == ':') {
            if (line.size() < 9) {
                if (line[0] == ':')
                    return false; // cut inside its header
                continue;
            }
            if (line[8] == '0') {
                size_t count = static_cast<uint8_t>(field(line, 1, 2));
                if (line.size() < 9 + 2 * count)
                    return false; // cut short: the image would have a hole
                long long address = field(line, 3, 4) + base;
                for (size_t j = 0; j < count; ++j)
                    if (!put(address + j, static_cast<uint8_t>(field(line, 9 + 2 * j, 2))))
                        return false;
            } else if (line[8] == '2') {
                if (line.size() < 13)
                    return false; // segment cut short: later records would move
                base = field(line, 9, 4) * 16;
            }
        } else {
            if (line.size() < 4 && line.size() >= 2 && line[1] >= '1' && line[1] <= '3')
                return false; // a data record cut before its count
            if (line.size() < 4 || line[1] < '1' || line[1] > '3')
                continue;
            size_t width = 2 * static_cast<size_t>(line[1] - '1') + 4;
            long long count = static_cast<uint8_t>(field(line, 2, 2)) - (long long)width / 2 - 1;
            if (count <= 0)
                continue;
            if (line.size() < 4 + width + 2 * count)
                return false; // cut short: the image would have a hole
            long long address = field(line, 4, width);
            for (long long j = 0; j < count; ++j)
                if (!put(address + j, static_cast<uint8_t>(field(line, 4 + width + 2 * j, 2))))
                    return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the piece size, the rest is the file.
    const size_t piece = 1 + data[0] % 61;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<uint8_t> whole;
    HexResult a = convertHexText(text, whole);
    std::vector<uint8_t> pieces;
    PiecewiseInput input(text, piece);
    HexResult b = convertHex(input, pieces);

    if (a.error != b.error || a.line != b.line || a.offset != b.offset)
        std::abort();
    if (a.ok()) {
        if (whole.size() != hexImageSize || whole != pieces || a.dataBytes > hexImageSize)
            std::abort();
    } else if (describeHexResult(a).empty()) {
        std::abort();
    }

    std::vector<uint8_t> expected;
    const bool expectedOk = reference(text, expected);
    if (expectedOk != a.ok() || (expectedOk && expected != whole))
        std::abort();
    return 0;
}
