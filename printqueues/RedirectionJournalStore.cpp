#include "printqueues/RedirectionJournalStore.h"

#include "platform/ProcessEnvironment.h"

namespace {

bool isJournalName(const std::string& name) {
    const std::string prefix = kJournalPrefix;
    const std::string suffix = kJournalSuffix;
    return name.size() > prefix.size() + suffix.size() &&
           name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Start times are the system's text; only letters and digits go into a file name.
std::string fileNamePart(const std::string& text) {
    std::string part;
    for (const char c : text) {
        const bool plain =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        part += plain ? c : '_';
    }
    return part;
}

} // namespace

RedirectionJournalStore::RedirectionJournalStore(StateFiles& files, ProcessTable& processes,
                                                 std::string directory)
    : files_(files), processes_(processes), directory_(std::move(directory)),
      self_(processes.self()) {}

std::string RedirectionJournalStore::pathFor(const ProcessIdentity& owner) const {
    return directory_ + pathSeparator() + kJournalPrefix + std::to_string(owner.pid) + "-" +
           fileNamePart(owner.startTime) + kJournalSuffix;
}

std::unique_ptr<StateFileLock> RedirectionJournalStore::lock() {
    return files_.lock(directory_ + pathSeparator() + kJournalLockName);
}

bool RedirectionJournalStore::save(const std::vector<JournalEntry>& entries) {
    const std::string path = pathFor(self_);
    if (entries.empty()) {
        return files_.remove(path);
    }
    return files_.replace(path, formatJournal({self_, entries}));
}

std::vector<RedirectionJournalStore::Found> RedirectionJournalStore::others() {
    std::vector<Found> found;
    const std::string own = pathFor(self_);
    for (const std::string& name : files_.list(directory_)) {
        const std::string path = directory_ + pathSeparator() + name;
        if (!isJournalName(name) || path == own) {
            continue;
        }
        StateFileText read = files_.read(path, kJournalMaxBytes);
        if (!read.text && read.refusal.empty()) {
            continue; // removed meanwhile by the copy that owned it
        }
        Found journal{path, std::nullopt, read.refusal};
        if (read.text) {
            journal.journal = parseJournal(*read.text, journal.refusal);
        }
        found.push_back(std::move(journal));
    }
    return found;
}

std::map<std::string, JournalEntry> RedirectionJournalStore::heldByRunningCopies() {
    std::map<std::string, JournalEntry> held;
    for (const Found& found : others()) {
        if (found.journal && processes_.isRunning(found.journal->owner)) {
            for (const JournalEntry& entry : found.journal->entries) {
                held.emplace(entry.queueName, entry);
            }
        }
    }
    return held;
}

std::string RedirectionJournalStore::setAside(const std::string& path) {
    const std::string aside = path + kRefusedSuffix;
    return files_.rename(path, aside) ? aside : path;
}

bool RedirectionJournalStore::rewrite(const std::string& path, const RedirectionJournal& journal) {
    if (journal.entries.empty()) {
        return files_.remove(path);
    }
    return files_.replace(path, formatJournal(journal));
}
