#include "platform/ProcessTable.h"

#include "platform/win32/UniqueHandle.h"

#include <windows.h>

#ifndef PROCESS_QUERY_LIMITED_INFORMATION
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#endif

namespace {

// The creation time in 100 ns units since 1601: unique to one process across reboots.
std::string creationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return {};
    }
    const auto value =
        (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return std::to_string(value);
}

UniqueHandle openForQuery(DWORD pid) {
    // The limited right is enough and is granted for more processes; systems before Vista know
    // only the full one.
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr && GetLastError() != ERROR_INVALID_PARAMETER) {
        process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, pid);
    }
    return UniqueHandle(process);
}

class Win32ProcessTable final : public ProcessTable {
  public:
    ProcessIdentity self() override {
        return {GetCurrentProcessId(), creationTime(GetCurrentProcess())};
    }

    bool isRunning(const ProcessIdentity& process) override {
        UniqueHandle handle = openForQuery(process.pid);
        if (!handle) {
            // No such process; any other refusal means one runs that we may not look at.
            return GetLastError() != ERROR_INVALID_PARAMETER;
        }
        // A process that has ended stays openable while someone holds a handle to it.
        if (WaitForSingleObject(handle.get(), 0) == WAIT_OBJECT_0) {
            return false;
        }
        const std::string started = creationTime(handle.get());
        return started.empty() || started == process.startTime;
    }
};

} // namespace

ProcessTable& systemProcessTable() {
    static Win32ProcessTable table;
    return table;
}
