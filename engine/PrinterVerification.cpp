#include "engine/PrinterVerification.h"

#include <algorithm>

namespace {
std::string trimmed(const std::string& text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}
} // namespace

VerifyVerdict judgeVersion(const std::optional<std::string>& before,
                           const std::optional<std::string>& after,
                           const std::optional<std::string>& expected) {
    if (!after) {
        return VerifyVerdict::NoAnswer;
    }
    if (expected) {
        return trimmed(*after) == trimmed(*expected) ? VerifyVerdict::Verified
                                                     : VerifyVerdict::Mismatch;
    }
    return before && trimmed(*before) == trimmed(*after) ? VerifyVerdict::Unchanged
                                                         : VerifyVerdict::Verified;
}

bool isVerified(VerifyVerdict verdict) {
    return verdict == VerifyVerdict::Verified || verdict == VerifyVerdict::Unchanged;
}

std::string versionChangeText(const std::optional<std::string>& before,
                              const std::optional<std::string>& after) {
    const std::string from = before ? trimmed(*before) : "?";
    const std::string to = after ? trimmed(*after) : "?";
    const bool unchanged = before && after && from == to;
    return "printer firmware " + from + " -> " + to + (unchanged ? " (unchanged)" : "");
}

std::string notVerifiedText(const std::optional<std::string>& after,
                            const std::optional<std::string>& expected, uint32_t timeoutSeconds) {
    if (!after) {
        return "Firmware not verified: no answer within " + std::to_string(timeoutSeconds) + " s";
    }
    return "Firmware not verified: printer reports " + trimmed(*after) +
           (expected ? ", expected " + trimmed(*expected) : std::string());
}

std::optional<std::string>
awaitPrinterVersion(const std::function<std::unique_ptr<PrinterReplies>()>& connect, Clock& clock,
                    uint32_t timeoutMs, const std::function<bool()>& stopRequested,
                    const std::function<void(uint32_t msLeft)>& waiting) {
    constexpr uint32_t kSliceMs = 100; // a stop request is heard within this
    const uint32_t start = clock.tickCount();
    for (;;) {
        if (stopRequested && stopRequested()) {
            return std::nullopt;
        }
        if (std::unique_ptr<PrinterReplies> printer = connect()) {
            if (std::optional<std::string> version =
                    askIdentity(*printer, clock, IdentityField::Firmware)) {
                return version;
            }
        }
        const uint32_t elapsed = clock.tickCount() - start;
        if (elapsed >= timeoutMs) {
            return std::nullopt;
        }
        if (waiting) {
            waiting(timeoutMs - elapsed);
        }
        const uint32_t pause = std::min(kVerifyRetryMs, timeoutMs - elapsed);
        for (uint32_t slept = 0; slept < pause; slept += kSliceMs) {
            if (stopRequested && stopRequested()) {
                return std::nullopt;
            }
            clock.sleepMs(std::min(kSliceMs, pause - slept));
        }
    }
}
