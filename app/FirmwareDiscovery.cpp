#include "app/FirmwareDiscovery.h"

#include "app/FirmwareName.h"
#include "app/ModelFamily.h"

#include <limits>

namespace {

// An entry that discovery considers: a ".fls" name whose title is neither empty nor a dot entry.
bool isFirmwareEntry(const std::string& name) {
    if (!hasFirmwareExtension(name)) {
        return false;
    }
    const std::string_view title = fileTitle(name);
    return !title.empty() && !isDotEntry(title);
}

} // namespace

bool findSoleFirmware(StartupSettings& settings, FileSystem& files) {
    int32_t counted = 0;
    std::string remembered;
    files.listDirectory(settings.startDirectory, [&](const std::string& name) {
        if (!isFirmwareEntry(name)) {
            return true;
        }
        if (++counted == 2) {
            return false; // the second one settles it; no need to list the rest
        }
        remembered = name;
        return true;
    });
    if (counted >= 2) {
        return false;
    }
    const std::string_view model = firmwareModelPart(remembered);
    if (!hasFamilyPrefix(model)) {
        return false;
    }
    settings.modelName = std::string(model);
    settings.firmwareFileName = remembered;
    return true;
}

bool findNewestFirmware(StartupSettings& settings, FileSystem& files) {
    int32_t candidates = 0;
    const int64_t earliest = earliestFirmwareDate().value_or(std::numeric_limits<int64_t>::min());
    int64_t bestDate = earliest;
    std::string chosen;
    files.listDirectory(settings.startDirectory, [&](const std::string& name) {
        if (!isFirmwareEntry(name) || firmwareModelPart(name) != settings.modelName) {
            return true;
        }
        ++candidates;
        const std::optional<int64_t> date = firmwareDate(name);
        if (!date || *date <= earliest) {
            return true; // not representable, or not later than the starting point
        }
        if (*date > bestDate || (*date == bestDate && name < chosen)) {
            bestDate = *date;
            chosen = name;
        }
        return true;
    });
    if (!chosen.empty()) {
        settings.firmwareFileName = chosen;
    }
    return !settings.firmwareFileName.empty() && candidates > 0;
}

FileError::FileError(const std::string& path, int32_t systemError)
    : std::runtime_error("cannot open " + path + " (system error " + std::to_string(systemError) +
                         ")"),
      systemError_(systemError) {}

bool fileExists(FileSystem& files, const std::string& path) {
    const FileProbe probe = files.probeReadable(path);
    switch (probe.status) {
    case ProbeStatus::Readable:
        return true;
    case ProbeStatus::Missing:
        return false;
    case ProbeStatus::Failed:
        break;
    }
    throw FileError(path, probe.systemError);
}
