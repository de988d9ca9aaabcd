// Feeds arbitrary bytes to the HEX/S-record converter, read in small pieces so lines cross
// read boundaries, and checks what must hold whatever the input: no crash, no access outside
// the image (the sanitizers watch), a full-size image on success, and the same result when
// the input arrives in one piece.
#include "download/HexConverter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

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
    return 0;
}
