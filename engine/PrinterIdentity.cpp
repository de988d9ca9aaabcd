#include "engine/PrinterIdentity.h"

#include <algorithm>

ReplyState parseIdentityReply(const std::vector<uint8_t>& reply, std::string& text) {
    if (reply.empty()) {
        return ReplyState::Incomplete;
    }
    if (reply[0] != '_') {
        return ReplyState::Invalid;
    }
    const auto end = std::find(reply.begin() + 1, reply.end(), uint8_t{0});
    if (end == reply.end()) {
        return ReplyState::Incomplete;
    }
    text.assign(reply.begin() + 1, end);
    return ReplyState::Whole;
}

std::optional<std::string> askIdentity(PrinterReplies& printer, Clock& clock, IdentityField field) {
    const uint8_t query[] = {0x1D, 0x49, static_cast<uint8_t>(field)};
    if (!printer.send(query, sizeof query)) {
        return std::nullopt;
    }
    // Read in short slices, so a whole reply ends the wait early and the limit holds however
    // the bytes trickle in.
    constexpr int32_t kSliceMs = 100;
    const uint32_t start = clock.tickCount();
    std::vector<uint8_t> reply;
    std::string text;
    while (clock.tickCount() - start < kIdentityReplyWaitMs) {
        uint8_t buffer[256];
        const auto left = static_cast<int32_t>(kIdentityReplyWaitMs - (clock.tickCount() - start));
        const int32_t got = printer.receive(buffer, sizeof buffer, std::min(kSliceMs, left));
        if (got < 0) {
            return std::nullopt;
        }
        reply.insert(reply.end(), buffer, buffer + got);
        switch (parseIdentityReply(reply, text)) {
        case ReplyState::Whole:
            return text;
        case ReplyState::Invalid:
            return std::nullopt;
        case ReplyState::Incomplete:
            break;
        }
    }
    return std::nullopt;
}

PrinterIdentity identifyPrinter(PrinterReplies& printer, Clock& clock) {
    PrinterIdentity identity;
    identity.firmware = askIdentity(printer, clock, IdentityField::Firmware);
    identity.maker = askIdentity(printer, clock, IdentityField::Maker);
    identity.model = askIdentity(printer, clock, IdentityField::Model);
    identity.serial = askIdentity(printer, clock, IdentityField::Serial);
    return identity;
}
