#pragma once
// The serial line settings expressed in termios, both ways. Linux has no DSR output flow
// control: the DTR/DSR choice raises DTR, turns flow control off and leaves the port to check
// DSR once when it opens; the XON/XOFF choice maps to IXON|IXOFF plus CRTSCTS.
#include "platform/SerialDevice.h"

#include <string>
#include <termios.h>

// The termios speed for a baud rate, B0 when the rate has none.
speed_t speedForBaudRate(uint32_t baudRate);
uint32_t baudRateForSpeed(speed_t speed);
// The rates speedForBaudRate knows, "50, 75, ..., 460800".
std::string supportedBaudRatesText();

// Raw mode with the given line settings; false when a value cannot be expressed (an unknown
// baud rate, data bits outside 5..8, parity above 4, stop bits above 2).
bool applyLineSettings(const SerialLineSettings& settings, termios& tio);

// What a termios record says about the line, for fields termios can express.
SerialLineSettings lineSettingsFrom(const termios& tio);
