#pragma once
// Asking a printer who it is. Our printers answer the identification queries of their command
// language, GS I n (1D 49 n), with "_", a text and a zero byte: n = 65 firmware version, 66
// maker, 67 model name, 68 serial number. A printer that does not answer a field leaves it
// unknown; that alone is no error.
#include "platform/Clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A connection the printer can answer on.
class PrinterReplies {
  public:
    virtual ~PrinterReplies() = default;
    // True when the whole query was taken.
    virtual bool send(const uint8_t* data, int32_t length) = 0;
    // Up to length bytes that arrive within waitMs; 0 when none did, negative when the
    // connection is gone.
    virtual int32_t receive(uint8_t* buffer, int32_t length, int32_t waitMs) = 0;
};

enum class IdentityField : uint8_t { Firmware = 0x41, Maker = 0x42, Model = 0x43, Serial = 0x44 };

enum class ReplyState { Whole, Incomplete, Invalid };
// Whole: "_" text NUL (text set, anything after the NUL ignored). Incomplete: nothing yet, or
// "_" and text without the NUL so far. Invalid: anything that does not begin with "_".
ReplyState parseIdentityReply(const std::vector<uint8_t>& reply, std::string& text);

// How long one field is waited for, at most; a whole reply ends the wait at once.
inline constexpr uint32_t kIdentityReplyWaitMs = 2000;

// One query and its reply; nothing when the printer did not answer in time (or not in form).
std::optional<std::string> askIdentity(PrinterReplies& printer, Clock& clock, IdentityField field);

struct PrinterIdentity {
    std::optional<std::string> firmware;
    std::optional<std::string> maker;
    std::optional<std::string> model;
    std::optional<std::string> serial;
};

// The four fields, asked one after the other.
PrinterIdentity identifyPrinter(PrinterReplies& printer, Clock& clock);
