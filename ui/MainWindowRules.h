#pragma once
// The main window's fixed tables: which picture and default port a model gets, which file types
// the firmware chooser offers, and how an accepted port configuration lands in PortSettings.
#include "ports/PortSettings.h"

#include <cstdint>
#include <string>

// Bitmap resource id of the model's picture, or 0 when the model has none.
int32_t modelPictureFor(int32_t modelCode);

// Open-file filter in "description|pattern|...||" form.
std::string firmwareFileFilter(int32_t modelCode);

// The banner once a model has been chosen: one more space in front.
std::string bannerAfterModelChoice(const std::string& banner);

// The part of PortSettings the configuration dialog shows and edits.
struct PortConfigValues {
    std::string portName;
    int32_t baudRate = 0;
    int32_t dataBits = 0;
    int32_t stopBits = 0;
    int32_t parity = 0;
    int32_t handshake = 0;
    int32_t reserved1 = 1;

    friend bool operator==(const PortConfigValues&, const PortConfigValues&) = default;
};

PortConfigValues configValuesFrom(const PortSettings& settings);

// Copies the dialog's values back and resets everything the dialog does not show to the fixed
// defaults every configured port starts from.
void applyConfigValues(PortSettings& settings, const PortConfigValues& values);
