#include "platform/StateFiles.h"

std::string stateFileRefusal(const StateFileFacts& facts, uint64_t maxBytes) {
    if (facts.symbolicLink) {
        return "a symbolic link, not followed";
    }
    if (!facts.regularFile) {
        return "not a regular file";
    }
    if (!facts.ownedByThisUser) {
        return "owned by another user";
    }
    if (facts.othersMayWrite) {
        return "writable by other users";
    }
    if (facts.size > maxBytes) {
        return "larger than " + std::to_string(maxBytes) + " bytes";
    }
    return {};
}
