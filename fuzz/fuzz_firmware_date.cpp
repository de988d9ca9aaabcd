// Firmware names: the date, model part and title of arbitrary names, and the newest-file
// search over a listing made of the input's lines.
#include "app/FirmwareDiscovery.h"
#include "app/FirmwareName.h"
#include "tests/support/AppFakes.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    (void)firmwareDate(input);
    if (firmwareModelPart(input).size() > input.size() || fileTitle(input).size() > input.size()) {
        __builtin_trap();
    }
    FakeFileSystem files;
    size_t begin = 0;
    for (size_t i = 0; i <= input.size(); ++i) {
        if (i == input.size() || input[i] == '\n') {
            files.addEntry("/fw", input.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    StartupSettings settings;
    settings.startDirectory = "/fw";
    settings.modelName = "KAV";
    if (findNewestFirmware(settings, files)) {
        const std::string& chosen = settings.firmwareFileName;
        if (chosen.rfind("KAV_", 0) != 0 || !hasFirmwareExtension(chosen)) {
            __builtin_trap(); // only a firmware file of the model may be chosen
        }
    }
    StartupSettings sole;
    sole.startDirectory = "/fw";
    (void)findSoleFirmware(sole, files);
    return 0;
}
