#pragma once
// The per-model and per-port-name rules of a download.
#include <cstdint>
#include <string>

enum class ConnectionKind { Serial, Parallel, UsbLike, Ethernet };

// The engine's reading of a port name (case-sensitive prefixes): "COM", "LPT", then a leading
// backslash (a USB interface path, or "\\.\COMn", which the port drives as serial), else an
// IP address.
ConnectionKind connectionKindFor(const std::string& portName);

// Bytes per port write: 64 for models 203 and 352 on a backslash name, else 4096.
uint32_t packetSizeFor(ConnectionKind kind, int32_t modelCode);

// Where the bar stands after the whole image went out over the network.
uint32_t networkProgressFor(int32_t modelCode);

// Interval of the settle ticks that let the bar run on while the printer writes its firmware.
uint32_t settleIntervalFor(int32_t modelCode);

// Model 1100 images start with this header (a backspace, then "#mtms").
inline constexpr uint8_t model1100Header[6] = {0x08, 0x23, 0x6D, 0x74, 0x6D, 0x73};
inline constexpr int32_t headerModel = 1100;

bool isHexModel(int32_t modelCode);  // 100, 101: HEX or S-record input
bool isFpgaModel(int32_t modelCode); // 310, 312: version and FPGA type check

// Width of the full bar and the part the send phase may fill.
inline constexpr uint32_t progressFull = 268;
inline constexpr uint32_t progressSendSpan = 240;
