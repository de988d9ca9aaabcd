#include "app/ProfileReader.h"

#include "app/TextRules.h"

#include <limits>

namespace {

// Bytes of one line that are kept. Longer lines are still read to their end; of the rest only
// what decides the result is remembered (whether more text and a ']' follow, and the last
// non-blank byte, which decides whether a long quoted value loses its quotes).
constexpr size_t kLineHead = 64 * 1024;
// The platform's integer reader looks at this many characters of the value at most.
constexpr size_t kIntegerBufferSize = 30;

bool isProfileSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

std::string_view trimLeft(std::string_view text) {
    while (!text.empty() && isProfileSpace(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view trimRight(std::string_view text) {
    while (!text.empty() && isProfileSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Stored names end at an embedded NUL, as the platform's C strings do.
bool namesMatch(std::string_view stored, std::string_view wanted) {
    const auto nul = stored.find('\0');
    if (nul != std::string_view::npos) {
        stored = stored.substr(0, nul);
    }
    return equalsIgnoringCase(stored, trimRight(trimLeft(wanted)));
}

struct Line {
    std::string head;
    bool overflow = false;       // bytes beyond head followed
    bool tailHasText = false;    // one of them was not blank
    char tailLastText = '\0';    // the last non-blank one
    bool tailHasBracket = false; // one of them was ']'

    void add(char c) {
        if (head.size() < kLineHead) {
            head += c;
            return;
        }
        overflow = true;
        if (!isProfileSpace(c)) {
            tailHasText = true;
            tailLastText = c;
        }
        if (c == ']') {
            tailHasBracket = true;
        }
    }
    bool empty() const { return head.empty() && !overflow; }
    void clear() { *this = Line{}; }
};

struct Lookup {
    bool hasValue = false; // it has an '='
    std::string value;     // trimmed value, up to the end of the kept head
    bool valueContinues = false;
    char valueLast = '\0'; // last non-blank byte of the value when it continues
};

class ProfileScan {
  public:
    ProfileScan(std::string_view section, std::string_view key) : section_(section), key_(key) {}

    // False when the scan is finished and result() is final.
    bool feed(const Line& line) {
        std::string_view text = trimLeft(line.head);
        const bool continues = line.overflow && line.tailHasText;
        if (!continues) {
            text = trimRight(text);
        }
        if (text.empty()) {
            return true; // an empty line, or one whose text lies beyond what is kept
        }
        if (text.front() == '[') {
            bool header = false;
            bool nameFits = true;
            std::string_view name;
            if (line.overflow && line.tailHasBracket) {
                header = true;
                nameFits = false; // far longer than any name we look for
            } else if (const auto close = text.find_last_of(']'); close != std::string_view::npos) {
                header = true;
                name = trimRight(trimLeft(text.substr(1, close - 1)));
            }
            if (header) {
                if (inSection_) {
                    return false; // the first section of that name has ended
                }
                inSection_ = nameFits && namesMatch(name, section_);
                return true;
            }
        }
        if (!inSection_) {
            return true;
        }
        const auto equals = text.find('=');
        if (equals == std::string_view::npos) {
            if (!continues && namesMatch(text, key_)) {
                return false;
            }
            return true;
        }
        if (!namesMatch(trimRight(text.substr(0, equals)), key_)) {
            return true;
        }
        result_.hasValue = true;
        result_.value = std::string(trimLeft(text.substr(equals + 1)));
        result_.valueContinues = continues && !result_.value.empty();
        result_.valueLast = line.tailLastText;
        return false;
    }

    const Lookup& result() const { return result_; }

  private:
    std::string_view section_;
    std::string_view key_;
    bool inSection_ = false;
    Lookup result_;
};

Lookup lookUp(std::istream& in, std::string_view section, std::string_view key) {
    ProfileScan scan(section, key);
    Line line;
    char chunk[16384];
    bool atStart = true;
    size_t bomMatched = 0;
    while (in.read(chunk, sizeof chunk), in.gcount() > 0) {
        const auto count = static_cast<size_t>(in.gcount());
        for (size_t i = 0; i < count; ++i) {
            const char c = chunk[i];
            // A UTF-8 byte order mark at the very start is not part of the first line.
            if (atStart) {
                static constexpr char bom[] = "\xEF\xBB\xBF";
                if (c == bom[bomMatched]) {
                    if (++bomMatched == 3) {
                        atStart = false;
                    }
                    continue;
                }
                atStart = false;
                for (size_t b = 0; b < bomMatched; ++b) {
                    line.add(bom[b]);
                }
            }
            if (c == '\r' || c == '\n') {
                if (!line.empty()) {
                    if (!scan.feed(line)) {
                        return scan.result();
                    }
                    line.clear();
                }
                continue;
            }
            line.add(c);
        }
    }
    if (atStart) {
        for (size_t b = 0; b < bomMatched; ++b) {
            line.add("\xEF\xBB\xBF"[b]);
        }
    }
    if (!line.empty()) {
        scan.feed(line);
    }
    return scan.result();
}

// Copies the value into a buffer of bufferSize characters the way the platform does,
// including its removal of enclosing quotes.
std::string boundedValue(const Lookup& found, size_t bufferSize) {
    if (bufferSize == 0 || !found.hasValue) {
        return {};
    }
    std::string_view value = found.value;
    bool continues = found.valueContinues;
    if (const auto nul = value.find('\0'); nul != std::string_view::npos) {
        value = value.substr(0, nul);
        continues = false;
    }
    const size_t limit = bufferSize - 1;
    if (value.empty()) {
        return {};
    }
    const char first = value.front();
    const char last = continues ? found.valueLast : value.back();
    const bool longEnough = continues || value.size() >= 2;
    if ((first == '"' || first == '\'') && longEnough && last == first) {
        value.remove_prefix(1);
        std::string copy(value.substr(0, limit));
        // The closing quote is dropped only when the whole rest fitted the buffer; the
        // platform then drops the last copied character, whichever it is.
        if (!continues && bufferSize >= value.size() && !copy.empty()) {
            copy.pop_back();
        }
        return copy;
    }
    return std::string(value.substr(0, limit));
}

// The platform reads the number with base detection: "0x" hexadecimal, "0o" octal, "0b"
// binary (lower-case markers only), decimal otherwise; it stops at the first character that is
// not a digit of that base and wraps at 32 bits.
int32_t platformInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        const char marker = text[i + 1];
        base = marker == 'x' ? 16 : marker == 'o' ? 8 : marker == 'b' ? 2 : 10;
        if (base != 10) {
            i += 2;
        }
    }
    uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        uint32_t digit = 99;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'z') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'Z') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        }
        if (digit >= base) {
            break;
        }
        total = total * base + digit;
    }
    if (negative) {
        total = 0u - total;
    }
    return static_cast<int32_t>(total);
}

} // namespace

std::string readProfileString(std::istream& in, std::string_view section, std::string_view key,
                              size_t bufferSize) {
    return boundedValue(lookUp(in, section, key), bufferSize);
}

std::string readProfileString(FileSystem& files, const std::string& path, std::string_view section,
                              std::string_view key, size_t bufferSize) {
    const std::unique_ptr<std::istream> in = files.openForReading(path);
    if (!in) {
        return {};
    }
    return readProfileString(*in, section, key, bufferSize);
}

int32_t readProfileInt(std::istream& in, std::string_view section, std::string_view key,
                       int32_t defaultValue) {
    const std::string text = readProfileString(in, section, key, kIntegerBufferSize);
    return text.empty() ? defaultValue : platformInteger(text);
}

int32_t readProfileInt(FileSystem& files, const std::string& path, std::string_view section,
                       std::string_view key, int32_t defaultValue) {
    const std::unique_ptr<std::istream> in = files.openForReading(path);
    if (!in) {
        return defaultValue;
    }
    return readProfileInt(*in, section, key, defaultValue);
}
