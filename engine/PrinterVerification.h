#pragma once
// After an update the printer restarts. Whether it now runs the new firmware is what it says
// when it is back: the program waits for it, asks its version and judges the answer.
#include "engine/PrinterIdentity.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// How often a printer that is not back yet is tried again.
inline constexpr uint32_t kVerifyRetryMs = 2000;
inline constexpr uint32_t kDefaultVerifyTimeoutSeconds = 180;

enum class VerifyVerdict {
    Verified,  // back, and reports the expected version (or, with none expected, any version)
    Unchanged, // back with the version it had before and none was expected: said, not failed
    Mismatch,  // back with another version than the expected one
    NoAnswer   // not back, or no version reported, within the time allowed
};

struct VerifySettings {
    bool verify = false;
    std::optional<std::string> expectedVersion;
    uint32_t timeoutSeconds = kDefaultVerifyTimeoutSeconds;
};

// Versions are compared as trimmed texts.
VerifyVerdict judgeVersion(const std::optional<std::string>& before,
                           const std::optional<std::string>& after,
                           const std::optional<std::string>& expected);
bool isVerified(VerifyVerdict verdict);

// "printer firmware 1.20 -> 2.00", "printer firmware 1.20 -> 1.20 (unchanged)"; "?" for a
// version the printer did not say.
std::string versionChangeText(const std::optional<std::string>& before,
                              const std::optional<std::string>& after);

// The log line of an update that is not verified: "Firmware not verified: printer reports 1.20,
// expected 2.00" or "Firmware not verified: no answer within 180 s".
std::string notVerifiedText(const std::optional<std::string>& after,
                            const std::optional<std::string>& expected, uint32_t timeoutSeconds);

// Tries to reach the printer every kVerifyRetryMs until timeoutMs has passed and asks its
// version once it answers. connect gives a connection, or nothing while the printer is not
// back. Ends early, with nothing, as soon as stopRequested says so; waiting hears the time left
// before each pause.
std::optional<std::string>
awaitPrinterVersion(const std::function<std::unique_ptr<PrinterReplies>()>& connect, Clock& clock,
                    uint32_t timeoutMs, const std::function<bool()>& stopRequested,
                    const std::function<void(uint32_t msLeft)>& waiting = {});
