#include "download/ModelRules.h"

#include "platform/DevicePaths.h"

#include <algorithm>
#include <initializer_list>

namespace {
bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool isOneOf(int32_t code, std::initializer_list<int32_t> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}
} // namespace

ConnectionKind connectionKindFor(const std::string& portName) {
    if (startsWith(portName, "COM")) {
        return ConnectionKind::Serial;
    }
    if (startsWith(portName, "LPT")) {
        return ConnectionKind::Parallel;
    }
    if (startsWith(portName, "\\")) {
        return ConnectionKind::UsbLike;
    }
    // A device path given as the port (Linux) is driven by PortDriver as what its form says.
    switch (devicePathKind(portName)) {
    case DevicePathKind::Serial:
        return ConnectionKind::Serial;
    case DevicePathKind::Parallel:
        return ConnectionKind::Parallel;
    case DevicePathKind::Usb:
        return ConnectionKind::UsbLike;
    case DevicePathKind::None:
        break;
    }
    return ConnectionKind::Ethernet;
}

uint32_t packetSizeFor(ConnectionKind kind, int32_t modelCode) {
    if (kind == ConnectionKind::UsbLike && isOneOf(modelCode, {203, 352})) {
        return 64;
    }
    return 4096;
}

uint32_t networkProgressFor(int32_t modelCode) {
    if (isOneOf(modelCode, {310, 312})) {
        return 205;
    }
    if (isOneOf(modelCode, {330, 340, 3502, 3522, 35011, 350211})) {
        return 235;
    }
    if (isOneOf(modelCode, {380, 382, 1033, 1111, 1112, 2753, 3005, 3102, 3122, 3132, 3302, 3322,
                            3503, 3523, 5000, 350111, 352111, 35011000})) {
        return 225;
    }
    return 100;
}

uint32_t settleIntervalFor(int32_t modelCode) {
    if (isOneOf(modelCode, {310, 312})) {
        return 600;
    }
    if (isOneOf(modelCode, {330, 1002, 35011000})) {
        return 270;
    }
    if (isOneOf(modelCode, {1033, 1111, 1112, 2753, 3005, 3102, 3122, 3132, 3302, 3322, 3503, 3523,
                            350111, 352111})) {
        return 200;
    }
    return 800;
}

bool isHexModel(int32_t modelCode) {
    return modelCode == 100 || modelCode == 101;
}

bool isFpgaModel(int32_t modelCode) {
    return modelCode == 310 || modelCode == 312;
}
