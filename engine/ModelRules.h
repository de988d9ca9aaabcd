#pragma once
// A download's rules that follow from the port name and the model's row in the model table.
#include "models/ModelTable.h"
#include "models/PortKind.h"

#include <cstdint>
#include <string>

// The engine's reading of a port name (case-sensitive prefixes): "COM", "LPT", then a leading
// backslash (a USB interface path, or "\\.\COMn", which the port drives as serial), a device
// path by its form (Linux), else an IP address.
PortKind portKindForName(const std::string& portName);

// Bytes per port write: 64 for a model with small USB packets on a backslash name, else 4096.
uint32_t packetSizeFor(PortKind kind, int32_t modelCode);

inline uint32_t networkProgressFor(int32_t modelCode) {
    return modelRow(modelCode).networkProgress;
}
inline uint32_t settleIntervalFor(int32_t modelCode) {
    return modelRow(modelCode).settleInterval;
}
inline bool hasModelFlag(int32_t modelCode, ModelFlag flag) {
    return (modelRow(modelCode).flags & flag) != 0;
}

// Width of the full bar and the part the send phase may fill.
inline constexpr uint32_t progressFull = 268;
inline constexpr uint32_t progressSendSpan = 240;
