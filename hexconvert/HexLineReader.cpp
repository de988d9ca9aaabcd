#include "hexconvert/HexLineReader.h"

#include <algorithm>
#include <cstring>

bool HexLineReader::refill() {
    if (atEnd_)
        return false;
    pos_ = 0;
    end_ = input_.read(chunk_.data(), chunk_.size());
    if (end_ == 0)
        atEnd_ = true;
    return end_ != 0;
}

bool HexLineReader::rewind() {
    pos_ = end_ = 0;
    atEnd_ = false;
    lineNumber_ = 0;
    return input_.rewind();
}

bool HexLineReader::next(std::string_view& line) {
    if (pos_ == end_ && !refill())
        return false;

    // The usual case: the whole line lies in the current chunk.
    const char* start = chunk_.data() + pos_;
    size_t avail = end_ - pos_;
    if (const void* lf = std::memchr(start, '\n', avail)) {
        size_t len = static_cast<const char*>(lf) - start;
        pos_ += len + 1;
        ++lineNumber_;
        if (len > 0 && start[len - 1] == '\r')
            --len;
        loneCr_ = std::memchr(start, '\r', len) != nullptr;
        line = std::string_view(start, len);
        return true;
    }

    // The line crosses chunk boundaries: keep its start, skip the rest up to the LF.
    size_t kept = 0;
    bool truncated = false;
    // A CR ending one chunk is lone unless the next chunk starts with the LF.
    bool crBeforeChunk = false;
    loneCr_ = false;
    for (;;) {
        start = chunk_.data() + pos_;
        avail = end_ - pos_;
        const void* lf = std::memchr(start, '\n', avail);
        size_t len = lf ? static_cast<size_t>(static_cast<const char*>(lf) - start) : avail;
        // Within the piece every CR but its last character is followed by another character.
        loneCr_ = loneCr_ || (crBeforeChunk && len > 0) ||
                  (len > 1 && std::memchr(start, '\r', len - 1) != nullptr);
        crBeforeChunk = len > 0 && start[len - 1] == '\r' && !lf;
        size_t take = std::min(len, carry_.size() - kept);
        std::memcpy(carry_.data() + kept, start, take);
        kept += take;
        truncated = truncated || take < len;
        pos_ += len;
        if (lf) {
            ++pos_;
            break;
        }
        if (!refill())
            break; // the last line has no line end
    }
    ++lineNumber_;
    if (!truncated && kept > 0 && carry_[kept - 1] == '\r')
        --kept;
    line = std::string_view(carry_.data(), kept);
    return true;
}
