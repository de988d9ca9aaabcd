#include "hexconvert/HexConverter.h"

#include "hexconvert/HexFields.h"
#include "hexconvert/HexLineReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The lead character every line of a file in this format must have, compared without bit 5:
// so S-record files may mix "S" and "s", and a HEX file may hold 0x1A (':' & 0xDF, the DOS
// end-of-file mark) lines.
char leadOf(HexFormat format) {
    return format == HexFormat::IntelHex ? ':' : 'S';
}

bool leadMatches(char c, HexFormat format) {
    return (c & 0xDF) == (leadOf(format) & 0xDF);
}

// Reads up to the line that decides the format. The lines after it are checked against the
// format while the image is filled, so a huge file stops at the byte limit instead of being
// read to its end first; a file that breaks either rule fails all the same.
HexResult chooseFormat(HexLineReader& reader, uint64_t& decidingLine) {
    HexResult result;
    std::string_view line;
    if (!reader.next(line)) {
        result.error = HexError::Empty;
        return result;
    }
    do {
        if (reader.loneCarriageReturn()) {
            result.error = HexError::LoneCarriageReturn;
            result.line = reader.lineNumber();
            return result;
        }
        if (line.empty())
            continue;
        const char c = line[0];
        if (c == 'S' || c == 's') {
            // S0, S1, S5, S7... leave the choice open: only S2 or S3 decide.
            if (line.size() >= 2 && line[1] == '2')
                result.format = HexFormat::SRecord6;
            else if (line.size() >= 2 && line[1] == '3')
                result.format = HexFormat::SRecord8;
        } else if (c == ':') {
            result.format = HexFormat::IntelHex;
        } else {
            result.error = HexError::BadLeadChar;
            result.line = reader.lineNumber();
            return result;
        }
        if (result.format != HexFormat::Undecided) {
            decidingLine = reader.lineNumber();
            return result;
        }
    } while (reader.next(line));
    result.error = HexError::NoFormat;
    return result;
}

// Pass 2: the image, with every stored byte checked against the limit, the image bounds and
// the bytes the file stored before.
class ImageFiller {
  public:
    ImageFiller(std::vector<uint8_t>& image, HexResult& result) : image_(image), result_(result) {
        image_.assign(hexImageSize, 0xFF);
    }

    // Stores count bytes from the two-digit fields at pos, pos + 2, ...; false stops the pass.
    // The bytes are taken in order; the first one that would pass the byte limit (checked
    // first) or fall outside the image fails, after the bytes before it were stored.
    bool store(std::string_view line, size_t pos, int64_t address, size_t count) {
        const int64_t size = static_cast<int64_t>(hexImageSize);
        const size_t belowLimit = hexImageSize - result_.dataBytes;
        const size_t inImage = address < 0       ? 0
                               : address >= size ? 0
                                                 : static_cast<size_t>(size - address);
        const size_t storable = std::min({count, belowLimit, inImage});

        const unsigned char* text = reinterpret_cast<const unsigned char*>(line.data()) + pos;
        const size_t first = static_cast<size_t>(std::max<int64_t>(address, 0));
        uint8_t* image = image_.data() + first;
        if (!anySeen(first, storable)) {
            // The usual case: nothing of this record was written before.
            for (size_t j = 0; j < storable; ++j, text += 2) {
                const int hi = hexfields::digits.value[text[0]];
                const int lo = hexfields::digits.value[text[1]];
                image[j] = (hi | lo) >= 0 ? static_cast<uint8_t>(hi * 16 + lo)
                                          : hexfields::readByte(line, pos + 2 * j);
            }
            markSeen(first, storable);
        } else {
            for (size_t j = 0; j < storable; ++j) {
                const uint8_t value = hexfields::readByte(line, pos + 2 * j);
                const size_t at = first + j;
                // The same byte again is harmless; another value means two records claim one
                // address (typically a file above 64 KiB whose upper part has wrapped).
                if (anySeen(at, 1) && image[j] != value) {
                    result_.dataBytes += static_cast<uint32_t>(j);
                    return fail(HexError::ConflictingByte, static_cast<int64_t>(at));
                }
                markSeen(at, 1);
                image[j] = value;
            }
        }
        result_.dataBytes += static_cast<uint32_t>(storable);
        if (storable == count)
            return true;
        if (storable == belowLimit)
            return fail(HexError::TooManyBytes, -1);
        return fail(HexError::OutsideImage, address + static_cast<int64_t>(storable));
    }

    void setLine(uint64_t line) { line_ = line; }
    bool shortRecord() { return fail(HexError::ShortRecord, -1); }

  private:
    // Whether any of the n offsets from `from` on was stored before; with mark, remembers them.
    bool anySeen(size_t from, size_t n) const {
        for (size_t at = from, end = from + n; at < end;) {
            const size_t bit = at % 64;
            const size_t take = std::min<size_t>(64 - bit, end - at);
            const uint64_t mask = (take == 64 ? ~uint64_t{0} : ((uint64_t{1} << take) - 1)) << bit;
            if ((seen_[at / 64] & mask) != 0)
                return true;
            at += take;
        }
        return false;
    }
    void markSeen(size_t from, size_t n) {
        for (size_t at = from, end = from + n; at < end;) {
            const size_t bit = at % 64;
            const size_t take = std::min<size_t>(64 - bit, end - at);
            seen_[at / 64] |= (take == 64 ? ~uint64_t{0} : ((uint64_t{1} << take) - 1)) << bit;
            at += take;
        }
    }

    bool fail(HexError error, int64_t offset) {
        result_.error = error;
        result_.line = line_;
        result_.offset = offset;
        return false;
    }

    std::vector<uint8_t>& image_;
    HexResult& result_;
    std::vector<uint64_t> seen_ = std::vector<uint64_t>(hexImageSize / 64, 0);
    uint64_t line_ = 0;
};

// One Intel HEX line; false stops the pass.
bool intelLine(std::string_view line, int64_t& base, ImageFiller& filler) {
    // Every record has its count, address and type (":LLAAAATT"); a line that ends inside them
    // is a file cut short, whose missing records would be holes in the image.
    if (line.size() < 9)
        return line[0] == ':' ? filler.shortRecord() : true; // a DOS end-of-file mark passes
    switch (line[8]) {                                       // the second digit of the record type
    case '0': {
        const size_t count = hexfields::readByte(line, 1);
        // A cut-short record (a truncated file) would leave a hole of 0xFF in the image.
        if (line.size() < 9 + 2 * count)
            return filler.shortRecord();
        const int64_t address = hexfields::read(line, 3, 4) + base;
        return filler.store(line, 9, address, count);
    }
    case '2':
        // Extended segment address. Type 04 (extended linear address) is left alone on purpose:
        // files written for this printer stay below 64 KiB with it, and a file that really goes
        // above and wraps is caught as conflicting bytes.
        // Cut short, it would put the records after it at the wrong addresses.
        if (line.size() < 13)
            return filler.shortRecord();
        base = hexfields::read(line, 9, 4) * 16;
        return true;
    default:
        return true;
    }
}

// One S-record line; S1, S2 and S3 each carry their own address width.
bool sRecordLine(std::string_view line, ImageFiller& filler) {
    if (line.size() < 4) {
        // A data record (S1, S2, S3) that ends before its count is cut short.
        const bool dataRecord = line.size() >= 2 && line[1] >= '1' && line[1] <= '3';
        return dataRecord ? filler.shortRecord() : true;
    }
    size_t digits = 0;
    switch (line[1]) {
    case '1':
        digits = 4;
        break;
    case '2':
        digits = 6;
        break;
    case '3':
        digits = 8;
        break;
    default:
        return true;
    }
    // The count covers the address, the data and the check sum.
    const int64_t count =
        static_cast<int64_t>(hexfields::readByte(line, 2)) - static_cast<int64_t>(digits / 2) - 1;
    if (count <= 0)
        return true;
    const size_t data = 4 + digits;
    if (line.size() < data + 2 * static_cast<size_t>(count))
        return filler.shortRecord();
    return filler.store(line, data, hexfields::read(line, 4, digits), static_cast<size_t>(count));
}

HexResult fillImage(HexLineReader& reader, HexFormat format, uint64_t decidingLine,
                    std::vector<uint8_t>& image) {
    HexResult result;
    result.format = format;
    ImageFiller filler(image, result);
    int64_t base = 0;
    std::string_view line;
    while (reader.next(line)) {
        if (reader.loneCarriageReturn()) {
            result.error = HexError::LoneCarriageReturn;
            result.line = reader.lineNumber();
            break;
        }
        if (line.empty())
            continue;
        const uint64_t number = reader.lineNumber();
        if (number > decidingLine && !leadMatches(line[0], format)) {
            result.error = HexError::LeadMismatch;
            result.line = number;
            break;
        }
        filler.setLine(number);
        const bool go = format == HexFormat::IntelHex ? intelLine(line, base, filler)
                                                      : sRecordLine(line, filler);
        if (!go)
            break;
    }
    return result;
}

class TextInput final : public HexInput {
  public:
    explicit TextInput(std::string_view text) : text_(text) {}
    size_t read(char* buffer, size_t capacity) override {
        size_t n = std::min(capacity, text_.size() - pos_);
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
    size_t pos_ = 0;
};

class FileInput final : public HexInput {
  public:
    explicit FileInput(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}
    ~FileInput() override {
        if (file_ != nullptr)
            std::fclose(file_);
    }
    FileInput(const FileInput&) = delete;
    FileInput& operator=(const FileInput&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    size_t read(char* buffer, size_t capacity) override {
        size_t n = std::fread(buffer, 1, capacity, file_);
        if (n < capacity && std::ferror(file_))
            failed_ = true;
        return n;
    }
    bool rewind() override { return std::fseek(file_, 0, SEEK_SET) == 0; }
    bool failed() const override { return failed_; }

  private:
    std::FILE* file_;
    bool failed_ = false;
};

HexResult readFailure(HexResult result) {
    result.error = HexError::ReadFailed;
    result.line = 0;
    result.offset = -1;
    return result;
}

} // namespace

HexResult convertHex(HexInput& input, std::vector<uint8_t>& image) {
    HexLineReader reader(input);
    uint64_t decidingLine = 0;
    HexResult result = chooseFormat(reader, decidingLine);
    if (input.failed())
        return readFailure(result);
    if (!result.ok())
        return result;
    if (!reader.rewind())
        return readFailure(result);
    result = fillImage(reader, result.format, decidingLine, image);
    if (input.failed())
        return readFailure(result);
    return result;
}

HexResult convertHexText(std::string_view text, std::vector<uint8_t>& image) {
    TextInput input(text);
    return convertHex(input, image);
}

HexResult convertHexPath(const std::string& path, std::vector<uint8_t>& image) {
    FileInput input(path);
    if (!input.isOpen()) {
        HexResult result;
        result.error = HexError::CannotOpen;
        return result;
    }
    return convertHex(input, image);
}

std::string describeHexResult(const HexResult& result) {
    char at[96] = "";
    if (result.line != 0 && result.offset >= 0)
        std::snprintf(at, sizeof at, " (line %llu, offset 0x%llX)",
                      static_cast<unsigned long long>(result.line),
                      static_cast<unsigned long long>(result.offset));
    else if (result.line != 0)
        std::snprintf(at, sizeof at, " (line %llu)", static_cast<unsigned long long>(result.line));
    std::string text;
    switch (result.error) {
    case HexError::None:
        return "converted";
    case HexError::CannotOpen:
        text = "cannot open the input file";
        break;
    case HexError::ReadFailed:
        text = "reading the input file failed";
        break;
    case HexError::Empty:
        text = "the input file is empty";
        break;
    case HexError::BadLeadChar:
        text = "not an Intel HEX or S-record file: a line begins with something other than "
               "':' or 'S'";
        break;
    case HexError::LeadMismatch:
        text = "a line does not belong to the file's record format";
        break;
    case HexError::NoFormat:
        text = "no Intel HEX, S2 or S3 record found";
        break;
    case HexError::TooManyBytes:
        text = "more than 262144 data bytes";
        break;
    case HexError::OutsideImage:
        text = "a data byte lies outside the 262144-byte image";
        break;
    case HexError::ConflictingByte:
        text = "two records give one address different values";
        break;
    case HexError::ShortRecord:
        text = "a record is cut short: it ends inside its header, or has fewer data digits "
               "than its count";
        break;
    case HexError::LoneCarriageReturn:
        text = "a line end is a lone CR; only LF and CR LF end lines";
        break;
    case HexError::OutputFailed:
        text = "the image file could not be written";
        break;
    }
    return text + at;
}
