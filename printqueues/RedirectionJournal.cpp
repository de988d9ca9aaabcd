#include "printqueues/RedirectionJournal.h"

#include <charconv>
#include <sstream>

// One line per fact, fields separated by single blanks, every text field escaped so that it
// holds no blank, no line end and no '%' of its own:
//   mirelith-queue-journal 1
//   owner <pid> <start time>
//   queue <name> <port> <attributes> <attributes changed 0|1> <shared 0|1> <spooler state>
//   end <number of queue lines>
// The end line makes a file cut short recognisable, whatever wrote it.
namespace {

constexpr std::string_view kMagic = "mirelith-queue-journal 1";
constexpr std::string_view kEmpty = "%"; // an empty text: '%' alone is never an escape

std::string escape(std::string_view text) {
    if (text.empty()) {
        return std::string(kEmpty);
    }
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '%') {
            out += '%';
            out += digits[byte >> 4];
            out += digits[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> unescape(std::string_view field) {
    if (field == kEmpty) {
        return std::string();
    }
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size()) {
            return std::nullopt;
        }
        const int hi = hexDigit(field[i + 1]);
        const int lo = hexDigit(field[i + 2]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::vector<std::string_view> split(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t blank; (blank = line.find(' ', start)) != std::string_view::npos;
         start = blank + 1) {
        fields.push_back(line.substr(start, blank - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

template <typename Number> bool number(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool flag(std::string_view text, bool& value) {
    if (text != "0" && text != "1") {
        return false;
    }
    value = text == "1";
    return true;
}

std::optional<JournalEntry> parseQueue(const std::vector<std::string_view>& fields) {
    if (fields.size() != 7) {
        return std::nullopt;
    }
    JournalEntry entry;
    auto name = unescape(fields[1]);
    auto port = unescape(fields[2]);
    auto state = unescape(fields[6]);
    if (!name || name->empty() || !port || !state || !number(fields[3], entry.saved.attributes) ||
        !flag(fields[4], entry.attributesChanged) || !flag(fields[5], entry.shared)) {
        return std::nullopt;
    }
    entry.queueName = std::move(*name);
    entry.saved.portName = std::move(*port);
    entry.saved.spoolerState = std::move(*state);
    return entry;
}

} // namespace

std::string formatJournal(const RedirectionJournal& journal) {
    std::ostringstream out;
    out << kMagic << '\n'
        << "owner " << journal.owner.pid << ' ' << escape(journal.owner.startTime) << '\n';
    for (const JournalEntry& entry : journal.entries) {
        out << "queue " << escape(entry.queueName) << ' ' << escape(entry.saved.portName) << ' '
            << entry.saved.attributes << ' ' << (entry.attributesChanged ? 1 : 0) << ' '
            << (entry.shared ? 1 : 0) << ' ' << escape(entry.saved.spoolerState) << '\n';
    }
    out << "end " << journal.entries.size() << '\n';
    return out.str();
}

std::optional<RedirectionJournal> parseJournal(std::string_view text, std::string& why) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t lf; (lf = text.find('\n', start)) != std::string_view::npos; start = lf + 1) {
        lines.push_back(text.substr(start, lf - start));
    }
    if (start != text.size()) {
        why = "the last line is cut short";
        return std::nullopt;
    }
    if (lines.size() < 3 || lines.front() != kMagic) {
        why = "not a printer queue journal";
        return std::nullopt;
    }
    RedirectionJournal journal;
    const auto owner = split(lines[1]);
    std::optional<std::string> started;
    if (owner.size() != 3 || owner[0] != "owner" || !number(owner[1], journal.owner.pid) ||
        !(started = unescape(owner[2]))) {
        why = "line 2 does not name the owning process";
        return std::nullopt;
    }
    journal.owner.startTime = std::move(*started);
    for (size_t i = 2; i + 1 < lines.size(); ++i) {
        const auto fields = split(lines[i]);
        std::optional<JournalEntry> entry;
        if (fields[0] != "queue" || !(entry = parseQueue(fields))) {
            why = "line " + std::to_string(i + 1) + " is not a queue record";
            return std::nullopt;
        }
        journal.entries.push_back(std::move(*entry));
    }
    const auto end = split(lines.back());
    size_t count = 0;
    if (end.size() != 2 || end[0] != "end" || !number(end[1], count) ||
        count != journal.entries.size()) {
        why = "it does not end with its count of queues";
        return std::nullopt;
    }
    return journal;
}
