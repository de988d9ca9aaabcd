#include "platform/ProcessTable.h"
#include "platform/posix/ProgramPair.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string_view>
#include <unistd.h>

namespace {

// Field 22 of /proc/<pid>/stat: clock ticks from boot to the process's start; empty for a
// process that has ended but was not yet waited for (state Z or X in field 3), as it will never
// restore anything. The command name (field 2) is in parentheses and may hold blanks and
// parentheses, so counting starts after the last ')'.
std::string startTicks(uint32_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) {
        return {};
    }
    const auto close = stat.rfind(')');
    if (close == std::string::npos) {
        return {};
    }
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int number = 3; number <= 22 && (fields >> field); ++number) {
        if (number == 3 && (field == "Z" || field == "X")) {
            return {};
        }
        if (number == 22) {
            return field;
        }
    }
    return {};
}

// Ticks since boot repeat from one boot to the next; the boot's own id tells them apart.
std::string bootId() {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    std::string compact;
    for (char c : id) {
        if (c != '-') {
            compact += c;
        }
    }
    return compact.empty() ? "boot" : compact;
}

std::string startTimeOf(uint32_t pid) {
    const std::string ticks = startTicks(pid);
    return ticks.empty() ? std::string() : bootId() + "-" + ticks;
}

// The program file a process runs, as the system names it; a file replaced since the process
// started (an upgrade) is named with " (deleted)" after it, which is taken off.
std::string programOf(uint32_t pid) {
    const std::string link = pid == 0 ? "/proc/self/exe" : "/proc/" + std::to_string(pid) + "/exe";
    std::string target(4096, '\0');
    const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) {
        return {};
    }
    target.resize(static_cast<size_t>(n));
    constexpr std::string_view deleted = " (deleted)";
    if (target.size() > deleted.size() &&
        target.compare(target.size() - deleted.size(), deleted.size(), deleted) == 0) {
        target.resize(target.size() - deleted.size());
    }
    return target;
}

// The effective user of a process, from the Uid line of its status; -1 when unknown.
long long userOf(uint32_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, 4, "Uid:") == 0) {
            std::istringstream ids(line.substr(4));
            long long real = -1;
            long long effective = -1;
            ids >> real >> effective;
            return effective;
        }
    }
    return -1;
}

class PosixProcessTable final : public ProcessTable {
  public:
    static bool isThisProgram(uint32_t pid) {
        static const std::string self = programOf(0);
        return isSameProgram(self, programOf(pid)) &&
               userOf(pid) == static_cast<long long>(::geteuid());
    }

    ProcessIdentity self() override {
        const auto pid = static_cast<uint32_t>(::getpid());
        return {pid, startTimeOf(pid)};
    }

    bool isRunning(const ProcessIdentity& process) override {
        const std::string now = startTimeOf(process.pid);
        if (!now.empty()) {
            // A live process with that id and start time holds queues only when it is this
            // program run by this same user: any other (a `sleep` named in a planted record)
            // would keep a queue aside, or lend it a port, on its word alone.
            return now == process.startTime && isThisProgram(process.pid);
        }
        // No readable start time: gone (or a zombie), unless the system only hides it from us.
        return ::access(("/proc/" + std::to_string(process.pid)).c_str(), F_OK) != 0 &&
               ::kill(static_cast<pid_t>(process.pid), 0) != 0 && errno == EPERM;
    }
};

} // namespace

ProcessTable& systemProcessTable() {
    static PosixProcessTable table;
    return table;
}
