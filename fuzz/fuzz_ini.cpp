// The INI reader on arbitrary files: every key of the settings, as text and as integer, and
// the whole INI settings reader over the same bytes.
#include "app/ProfileReader.h"
#include "app/SettingsReaders.h"
#include "tests/support/AppFakes.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"PORTTYPE", "IP", "BAUDRATE", "TCPPORT", "MODELNAME", "FWNAME"}) {
        std::istringstream text(content);
        const std::string value = readProfileString(text, "NUV", key);
        if (value.size() > 259) {
            __builtin_trap();
        }
        std::istringstream small(content);
        if (readProfileString(small, "NUV", key, 5).size() > 4) {
            __builtin_trap();
        }
        std::istringstream number(content);
        (void)readProfileInt(number, "NUV", key, 115200);
    }
    StartupSettings settings;
    settings.startDirectory = "/fw";
    FakeFileSystem files;
    files.addFile("/fw/qemnuv.ini", content);
    files.addEntry("/fw", "KAV-1_V1_010124.fls");
    RecordingReporter reporter;
    const RunMode mode = loadIniSettings(settings, "/fw/qemnuv.ini", files, reporter);
    if (mode == RunMode::Interactive) {
        __builtin_trap(); // the INI file alone never makes an interactive run
    }
    return 0;
}
