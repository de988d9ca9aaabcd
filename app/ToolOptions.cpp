#include "app/ToolOptions.h"

#include "app/PortValue.h"
#include "app/TextRules.h"

#include <cstddef>
#include <string_view>

namespace {

constexpr const char* kResult = "--result";
constexpr const char* kResultEquals = "--result=";

// 1 to 86400 written in plain digits; nothing otherwise.
std::optional<uint32_t> wholeSeconds(const std::string& text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return value >= 1 && value <= 86400 ? std::optional<uint32_t>(value) : std::nullopt;
}

class Taker {
  public:
    Taker(const std::vector<std::string>& words, ToolOptionSet known, ToolOptions& options)
        : words_(words), known_(known), options_(options) {}

    // Takes the option at index i when it is one of ours; returns how many words it used
    // (0 when the word is not ours and stays in the argument list).
    size_t take(size_t i) {
        const std::string& word = words_[i];
        if (known_ == ToolOptionSet::All) {
            if (word == "--help" || word == "-h") {
                options_.help = true;
                return 1;
            }
            // "-V" as avrdude and esptool users type it; start-up never gave it a meaning.
            if (word == "--version" || word == "-V") {
                options_.version = true;
                return 1;
            }
            if (word == "--list") {
                options_.list = true;
                return 1;
            }
            if (word == "-q") {
                options_.quiet = true;
                return 1;
            }
        }
        if (word == "--identify") {
            options_.identify = true;
            return 1;
        }
        if (word == "--verify") {
            options_.verify = true;
            return 1;
        }
        if (word == "--expect-version" || word == "--verify-timeout") {
            if (i + 1 >= words_.size()) {
                options_.error = word + " needs a value";
                return 1;
            }
            const std::string& value = words_[i + 1];
            if (word == "--expect-version") {
                options_.expectVersion = value;
                options_.verify = true; // an expected version is only worth anything checked
                return 2;
            }
            const auto seconds = wholeSeconds(value);
            if (!seconds) {
                options_.error =
                    "--verify-timeout " + value + ": not a number of seconds (1 to 86400)";
            }
            options_.verifyTimeoutSeconds = seconds;
            return 2;
        }
        if (startsWith(word, kResultEquals)) {
            const std::string path = word.substr(std::string_view(kResultEquals).size());
            if (path.empty()) {
                options_.resultWithoutFile = true;
                return 0;
            }
            options_.resultPath = path;
            return 1;
        }
        if (word == kResult) {
            // A following option word is not a file name: start-up has always read it as an
            // option, and so it still does ("--result=-name" names such a file).
            if (i + 1 < words_.size() && !words_[i + 1].empty() && words_[i + 1][0] != '-') {
                options_.resultPath = words_[i + 1];
                return 2;
            }
            options_.resultWithoutFile = true;
            return 0;
        }
        return 0;
    }

  private:
    const std::vector<std::string>& words_;
    ToolOptionSet known_;
    ToolOptions& options_;
};

// How many words start-up's command-line walk takes at an option word, the option included;
// 1 for a word it skips. Values are counted whether or not start-up would accept them: once it
// rejects a command line the words after the rejection no longer matter to it.
size_t wordsOfSilentOption(const std::vector<std::string>& words, size_t i) {
    const std::string& option = words[i];
    if (option == "-m" || option == "-f" || option == "-b" || option == "-tcpport") {
        return 2;
    }
    if (option == "-p") {
        const bool netWithAddress =
            i + 1 < words.size() && classifyPortValue(words[i + 1]).type == PortKind::Ethernet;
        return netWithAddress ? 3 : 2;
    }
    return 1;
}

} // namespace

ToolOptions takeToolOptions(const std::vector<std::string>& words, ToolOptionSet known) {
    ToolOptions options;
    Taker taker(words, known, options);
    std::vector<std::string>& kept = options.arguments;
    if (words.empty()) {
        return options;
    }
    kept.push_back(words[0]);

    size_t i = 1;
    // Ours in front of "-s" go, so "mirelith -q -s ..." is the silent run it looks like.
    while (i < words.size()) {
        const size_t used = taker.take(i);
        if (used == 0) {
            break;
        }
        i += used;
    }
    const bool silent = i < words.size() && words[i] == "-s";
    if (silent) {
        kept.push_back(words[i++]);
    }
    while (i < words.size()) {
        const size_t used = taker.take(i);
        if (used > 0) {
            i += used;
            continue;
        }
        // Without "-s" nothing is read as an option's value: the command line only asks for
        // the interactive start.
        const size_t startUpWords = silent ? wordsOfSilentOption(words, i) : 1;
        for (size_t n = 0; n < startUpWords && i < words.size(); ++n) {
            kept.push_back(words[i++]);
        }
    }
    return options;
}
