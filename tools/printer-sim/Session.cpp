#include "tools/printer-sim/Session.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint8_t versionQuery[] = {0x1D, 0x49, 0x41};
constexpr uint8_t fpgaQuery[] = {0x08, 0x13, 0x25, 0x01, 0x02};

// 2: the whole query is there; 1: what is there is the start of it; 0: it is not this query.
int matches(const std::vector<uint8_t>& data, const uint8_t* query, size_t length) {
    const size_t n = std::min(data.size(), length);
    if (std::memcmp(data.data(), query, n) != 0) {
        return 0;
    }
    return n == length ? 2 : 1;
}
} // namespace

void Session::take(const uint8_t* data, size_t length, int64_t nowMs) {
    if (lastByteMs_ >= 0 && nowMs - lastByteMs_ >= pauseMs) {
        end();
        commandPhase_ = true;
    }
    lastByteMs_ = nowMs;
    if (!commandPhase_) {
        deliver(data, length);
        return;
    }
    pending_.insert(pending_.end(), data, data + length);
    while (!pending_.empty()) {
        const int version = matches(pending_, versionQuery, sizeof versionQuery);
        const int fpga = matches(pending_, fpgaQuery, sizeof fpgaQuery);
        if (version == 2 || fpga == 2) {
            const size_t used = version == 2 ? sizeof versionQuery : sizeof fpgaQuery;
            pending_.erase(pending_.begin(), pending_.begin() + long(used));
            onQuery_(version == 2 ? Query::Version : Query::FpgaType);
            continue;
        }
        if (version == 1 || fpga == 1) {
            return; // wait for the rest
        }
        commandPhase_ = false;
        std::vector<uint8_t> image;
        image.swap(pending_);
        deliver(image.data(), image.size());
    }
}

void Session::end() {
    if (!pending_.empty()) {
        std::vector<uint8_t> image;
        image.swap(pending_);
        deliver(image.data(), image.size());
    }
}

void Session::deliver(const uint8_t* data, size_t length) {
    imageBytes_ += length;
    onImageBytes_(data, length);
}
