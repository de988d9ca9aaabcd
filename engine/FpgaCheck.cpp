#include "engine/FpgaCheck.h"

#include "engine/PrinterIdentity.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

int32_t imageFpgaType(int32_t modelCode, const uint8_t* image, int32_t length) {
    if ((modelCode != 310 && modelCode != 312) || image == nullptr || length < 44) {
        return -1;
    }
    if (image[9] != 'D') {
        return -1;
    }
    // The name is looked for one byte past the "D"; an image carrying "Designer" from byte 9
    // passes this test.
    if (std::memcmp(image + 10, "Designer", 8) == 0) {
        return -1;
    }
    if (image[40] != 0xCF || image[43] != 0x03) {
        return -1;
    }
    if (image[41] == '!') {
        return 2;
    }
    if (image[41] == 'A') {
        return image[42] == 0xA1 ? 1 : 0;
    }
    return -1;
}

int32_t printerVersionAbove134(const uint8_t* reply, size_t length) {
    size_t textLength = 0;
    const size_t limit = std::min<size_t>(length, fpgaReplyLength);
    while (textLength < limit && reply[textLength] != 0) {
        ++textLength;
    }
    const std::string text(reinterpret_cast<const char*>(reply), textLength);
    const std::string version = text.size() > 1 ? text.substr(1, 5) : std::string();
    const std::string majorText = version.substr(0, 2);
    const std::string minorText = version.size() > 2 ? version.substr(version.size() - 2) : version;
    const int major = std::atoi(majorText.c_str());
    const int minor = std::atoi(minorText.c_str());
    // The limit is a single-precision 1.34, so a reply of exactly 1.34 is not above it.
    const double value = major + minor * 0.01;
    return value > static_cast<double>(1.34f) ? 1 : 0;
}

int32_t printerFpgaType(uint8_t digit) {
    int32_t value;
    if (digit >= 0x30 && digit <= 0x39) {
        value = digit - 0x30;
    } else if (digit >= 0x61 && digit <= 0x7F) {
        value = digit - 87;
    } else {
        value = digit - 55;
    }
    return value >> 2;
}

FpgaVerdict runFpgaCheck(PrinterPort& port, Clock& clock, int32_t imageType,
                         std::optional<std::string>* printerVersion) {
    if (imageType == -1) {
        return FpgaVerdict::Proceed;
    }
    uint8_t reply[fpgaReplyLength] = {};
    // A query the port does not take whole skips the check: the printer cannot be asked.
    if (port.write(versionQuery, sizeof versionQuery) != sizeof versionQuery) {
        return FpgaVerdict::Proceed;
    }
    clock.sleepMs(fpgaQuerySettleMs);
    const int32_t versionLength = port.read(reply, fpgaReplyLength, fpgaReplyWaitMs);
    if (std::string text; printerVersion != nullptr && versionLength > 0 &&
                          parseIdentityReply(std::vector<uint8_t>(reply, reply + versionLength),
                                             text) == ReplyState::Whole) {
        *printerVersion = text;
    }
    if (printerVersionAbove134(reply, sizeof reply) == 0) {
        // Older printers cannot report a type; only type-0 images suit them.
        return imageType == 0 ? FpgaVerdict::Proceed : FpgaVerdict::FirmwareTooOld;
    }
    if (port.write(fpgaTypeQuery, sizeof fpgaTypeQuery) != sizeof fpgaTypeQuery) {
        return FpgaVerdict::Proceed;
    }
    clock.sleepMs(fpgaQuerySettleMs);
    const int32_t got = port.read(reply, fpgaReplyLength, fpgaReplyWaitMs);
    if (got < 5 || reply[0] != '_') {
        return FpgaVerdict::NoTypeReply;
    }
    return printerFpgaType(reply[1]) == imageType ? FpgaVerdict::Proceed
                                                  : FpgaVerdict::DeviceTypeDiffers;
}

const char* fpgaRefusalText(FpgaVerdict verdict) {
    switch (verdict) {
    case FpgaVerdict::FirmwareTooOld:
        return "Please check version of FW.";
    case FpgaVerdict::NoTypeReply:
        return "You need to check version of FW!!!";
    case FpgaVerdict::DeviceTypeDiffers:
        return "Please Check the device type of FPGA.";
    case FpgaVerdict::Proceed:
        break;
    }
    return "";
}
