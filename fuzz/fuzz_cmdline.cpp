// The command-line reader on arbitrary argument vectors: the input is split into arguments at
// NUL bytes; a directory listing for discovery comes after the first "\n\n" of the last one.
#include "app/SettingsReaders.h"
#include "tests/support/AppFakes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string listing;
    if (const auto split = input.find("\n\n"); split != std::string::npos) {
        listing = input.substr(split + 2);
        input.resize(split);
    }
    std::vector<std::string> arguments{"mirelith"};
    size_t start = 0;
    for (size_t i = 0; i <= input.size(); ++i) {
        if (i == input.size() || input[i] == '\0') {
            arguments.push_back(input.substr(start, i - start));
            start = i + 1;
        }
    }
    StartupSettings settings;
    settings.startDirectory = "/fw";
    FakeFileSystem files;
    size_t begin = 0;
    for (size_t i = 0; i <= listing.size(); ++i) {
        if (i == listing.size() || listing[i] == '\n') {
            files.addEntry("/fw", listing.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    RecordingReporter reporter;
    const RunMode mode = parseCommandLine(settings, arguments, files, reporter);
    if (mode == RunMode::Silent && !settings.modelGiven) {
        __builtin_trap(); // a silent run always has a model
    }
    for (const Report& report : reporter.reports) {
        if (report.level != LogLevel::Trace) {
            __builtin_trap(); // the reader only traces
        }
    }
    return 0;
}
