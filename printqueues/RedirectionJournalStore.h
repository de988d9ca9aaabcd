#pragma once
// The journals of the printer queue redirection in the directory where the log goes: one file
// per running copy of the program, named after its process, and a lock file that makes each
// look at the journals, with the queue changes that follow from it, one step for the other
// copies.
#include "platform/ProcessTable.h"
#include "platform/StateFiles.h"
#include "printqueues/RedirectionJournal.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class RedirectionJournalStore {
  public:
    RedirectionJournalStore(StateFiles& files, ProcessTable& processes, std::string directory);

    // Held while the journals are read and the queues changed; may be nothing when another
    // copy holds it for too long, and the caller then goes on without it.
    std::unique_ptr<StateFileLock> lock();

    // This process's journal, replaced in one step; removed when entries is empty.
    bool save(const std::vector<JournalEntry>& entries);

    struct Found {
        std::string path;
        std::optional<RedirectionJournal> journal; // nothing when the file was refused
        std::string refusal;                       // why it was refused
    };
    // Every journal in the directory except this process's own. A file the system refuses to
    // let us believe (a link, another user's, writable by others, too large) is found refused.
    std::vector<Found> others();
    // The queues named in the journals of the other copies that are still running.
    std::map<std::string, JournalEntry> heldByRunningCopies();

    bool isRunning(const ProcessIdentity& owner) { return processes_.isRunning(owner); }
    const ProcessIdentity& self() const { return self_; }
    // Renames a refused journal so that it is neither read again nor lost; the new path.
    std::string setAside(const std::string& path);
    // Replaces another journal with what is left of it, or removes it when nothing is left.
    bool rewrite(const std::string& path, const RedirectionJournal& journal);

    std::string pathFor(const ProcessIdentity& owner) const;

  private:
    StateFiles& files_;
    ProcessTable& processes_;
    std::string directory_;
    ProcessIdentity self_;
};

inline constexpr const char* kJournalPrefix = "_QEM_NUV.queues.";
inline constexpr const char* kJournalSuffix = ".journal";
inline constexpr const char* kJournalLockName = "_QEM_NUV.queues.lock";
inline constexpr const char* kRefusedSuffix = ".refused";
// A journal lists a handful of queues in a few hundred bytes; anything near this is not one.
inline constexpr uint64_t kJournalMaxBytes = 64 * 1024;
