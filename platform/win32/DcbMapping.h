#pragma once
// The serial line settings laid over a DCB (fields the ports do not choose keep their value),
// and the timeouts record as COMMTIMEOUTS.
#include "platform/DeviceTypes.h"
#include "platform/SerialDevice.h"

#include <windows.h>

void applyLineSettings(const SerialLineSettings& settings, DCB& dcb);
SerialLineSettings lineSettingsFrom(const DCB& dcb);
COMMTIMEOUTS toCommTimeouts(const CommTimeouts& timeouts);
