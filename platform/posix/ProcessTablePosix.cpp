#include "platform/ProcessTable.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>
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

class PosixProcessTable final : public ProcessTable {
  public:
    ProcessIdentity self() override {
        const auto pid = static_cast<uint32_t>(::getpid());
        return {pid, startTimeOf(pid)};
    }

    bool isRunning(const ProcessIdentity& process) override {
        const std::string now = startTimeOf(process.pid);
        if (!now.empty()) {
            return now == process.startTime;
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
