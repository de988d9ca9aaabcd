#include "ui/MainWindowRules.h"

#include "models/ModelTable.h"

#include <algorithm>
#include <array>
#include <initializer_list>

int32_t modelPictureFor(int32_t modelCode) {
    return modelRow(modelCode).picture;
}

std::string firmwareFileFilter(int32_t modelCode) {
    return std::string(modelRow(modelCode).fileFilter);
}

std::string bannerAfterModelChoice(const std::string& banner) {
    return " " + banner;
}

PortConfigValues configValuesFrom(const PortSettings& settings) {
    PortConfigValues v;
    v.portName = settings.portName;
    v.baudRate = settings.baudRate;
    v.dataBits = settings.dataBits;
    v.stopBits = settings.stopBits;
    v.parity = settings.parity;
    v.handshake = settings.handshake;
    v.reserved1 = settings.reserved1;
    return v;
}

void applyConfigValues(PortSettings& settings, const PortConfigValues& values) {
    settings.portName = values.portName;
    settings.baudRate = values.baudRate;
    settings.dataBits = values.dataBits;
    settings.stopBits = values.stopBits;
    settings.parity = values.parity;
    settings.handshake = values.handshake;
    settings.reserved1 = values.reserved1;
    applyFixedPortDefaults(settings);
}
