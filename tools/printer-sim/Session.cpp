#include "tools/printer-sim/Session.h"

#include <algorithm>
#include <cstring>

namespace {
struct KnownQuery {
    std::vector<uint8_t> bytes;
    Session::Query query;
};
const std::vector<KnownQuery>& knownQueries() {
    static const std::vector<KnownQuery> queries{
        {{0x1D, 0x49, 0x41}, Session::Query::Version},
        {{0x1D, 0x49, 0x42}, Session::Query::Maker},
        {{0x1D, 0x49, 0x43}, Session::Query::ModelName},
        {{0x1D, 0x49, 0x44}, Session::Query::Serial},
        {{0x08, 0x13, 0x25, 0x01, 0x02}, Session::Query::FpgaType}};
    return queries;
}

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
        const KnownQuery* whole = nullptr;
        bool partial = false;
        for (const KnownQuery& known : knownQueries()) {
            const int match = matches(pending_, known.bytes.data(), known.bytes.size());
            whole = match == 2 ? &known : whole;
            partial = partial || match == 1;
        }
        if (whole != nullptr) {
            pending_.erase(pending_.begin(), pending_.begin() + long(whole->bytes.size()));
            onQuery_(whole->query);
            continue;
        }
        if (partial) {
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
