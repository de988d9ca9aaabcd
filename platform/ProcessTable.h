#pragma once
// Which processes are running, so that a record left by a run of the program can be told from
// one whose run has ended. A process is known by its id and its start time together: ids are
// reused, an id with another start time is another process.
#include <cstdint>
#include <string>

struct ProcessIdentity {
    uint32_t pid = 0;
    // The start time in the system's own words (no blanks); equal texts mean the same start.
    std::string startTime;

    friend bool operator==(const ProcessIdentity&, const ProcessIdentity&) = default;
};

class ProcessTable {
  public:
    virtual ~ProcessTable() = default;
    virtual ProcessIdentity self() = 0;
    // True while that process runs. A process whose start time cannot be read (another user's,
    // on a system that hides them) counts as running: its record is then left alone.
    virtual bool isRunning(const ProcessIdentity& process) = 0;
};

ProcessTable& systemProcessTable();
