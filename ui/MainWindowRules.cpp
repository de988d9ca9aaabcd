#include "ui/MainWindowRules.h"

#include "res/resource.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace {

struct PictureRow {
    int32_t bitmapId;
    std::initializer_list<int32_t> codes;
};

const std::array<PictureRow, 10>& pictureTable() {
    static const std::array<PictureRow, 10> table{{
        {IDB_MODEL_143, {100, 101}},
        {IDB_MODEL_142, {200, 2752, 2753}},
        {IDB_MODEL_157, {300}},
        {IDB_MODEL_156, {350}},
        {IDB_MODEL_168, {310, 312, 3102, 3122, 3132}},
        {IDB_MODEL_172, {691}},
        {IDB_MODEL_165, {1032, 1033}},
        {IDB_MODEL_174, {1111, 1112}},
        {IDB_MODEL_166, {1502}},
        {IDB_MODEL_160,
         {203,  330,  340,  352,  380,  382,   1001,   1002,   1100,   3005,   3302,    3322,
          3502, 3503, 3522, 3523, 5000, 35011, 350111, 350205, 350211, 352111, 35011000}},
    }};
    return table;
}

} // namespace

int32_t modelPictureFor(int32_t modelCode) {
    for (const PictureRow& row : pictureTable()) {
        if (std::find(row.codes.begin(), row.codes.end(), modelCode) != row.codes.end()) {
            return row.bitmapId;
        }
    }
    return 0;
}

std::string firmwareFileFilter(int32_t modelCode) {
    if (modelCode == 100 || modelCode == 101) {
        return "Firmware File(*.hex)|*.hex||";
    }
    if (modelCode == 1100) {
        return "Firmware File(*.fls)|*.fls|Firmware File(*.bin)|*.bin||";
    }
    return "Firmware File(*.fls)|*.fls||";
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
