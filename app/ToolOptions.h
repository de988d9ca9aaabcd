#pragma once
// The program's own options ("--help", "-h", "--version", "--list", "-q", "--result FILE"),
// taken out of the argument list before start-up reads it. Start-up never gives these words a
// meaning (it skips them, or they make the run interactive), so once they are gone every other
// command line reads exactly as before. A word that start-up would take as an option's value
// ("-m --help" names a model) stays where it is.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ToolOptions {
    bool help = false;
    bool version = false;
    bool list = false;
    bool quiet = false;
    std::optional<std::string> resultPath;
    // "--result" came without a file name: it stays in the arguments (start-up skips it, as it
    // always has) and no result file is written.
    bool resultWithoutFile = false;
    // "--identify": ask the printer on the given port who it is, and send nothing.
    bool identify = false;
    // "--verify": after a silent run's transfer, wait for the printer to restart and ask its
    // version; "--expect-version TEXT" names the version it must then report, and
    // "--verify-timeout SECONDS" how long it may take to come back.
    bool verify = false;
    std::optional<std::string> expectVersion;
    std::optional<uint32_t> verifyTimeoutSeconds;
    // An option of ours given a value it cannot take, in words ("--verify-timeout abc: ...").
    std::string error;
    // The arguments start-up is to see, the program first.
    std::vector<std::string> arguments;
};

// Which of the options a build knows. The Windows program has no terminal, so it takes only
// "--result" and leaves the other words to start-up as before.
enum class ToolOptionSet { All, ResultOnly };

ToolOptions takeToolOptions(const std::vector<std::string>& arguments, ToolOptionSet known);
