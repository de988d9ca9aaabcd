#pragma once
// Models 310 and 312 carry an FPGA bitstream whose device type must match the printer's, and
// only printers with firmware above 1.34 can tell their FPGA type. Before a transfer the engine
// asks the printer (version query, then FPGA type query) and refuses a mismatching image.
#include "platform/Clock.h"
#include "ports/PrinterPort.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

inline constexpr uint8_t versionQuery[3] = {0x1D, 0x49, 0x41};
inline constexpr uint8_t fpgaTypeQuery[5] = {0x08, 0x13, 0x25, 0x01, 0x02};
inline constexpr int32_t fpgaReplyLength = 20;
inline constexpr int32_t fpgaReplyWaitMs = 2000;
inline constexpr uint32_t fpgaQuerySettleMs = 200;

// Device type the image is built for: 0, 1 or 2, or -1 when the image carries no recognisable
// FPGA header (always -1 for models other than 310 and 312). Images too short to hold the
// header yield -1 instead of being read past their end.
int32_t imageFpgaType(int32_t modelCode, const uint8_t* image, int32_t length);

// 1 when the version reply ("_" + version text + NUL) reads as a version above 1.34, else 0.
int32_t printerVersionAbove134(const uint8_t* reply, size_t length);

// The FPGA type the printer reports in the second byte of its reply (a hex digit, divided by 4).
int32_t printerFpgaType(uint8_t digit);

enum class FpgaVerdict {
    Proceed,
    FirmwareTooOld,   // "Please check version of FW."
    NoTypeReply,      // "You need to check version of FW!!!"
    DeviceTypeDiffers // "Please Check the device type of FPGA."
};

// Runs the query dialogue on an open port for an image of the given type. The printer's answer
// to the version query, when it gave a whole one, goes to printerVersion: a run that verifies
// the update takes it as the version before, instead of asking again.
FpgaVerdict runFpgaCheck(PrinterPort& port, Clock& clock, int32_t imageType,
                         std::optional<std::string>* printerVersion = nullptr);

// The report for a refusal (empty for Proceed).
const char* fpgaRefusalText(FpgaVerdict verdict);
