#include "platform/WindowsLogPlace.h"

std::string chooseWindowsLogDirectory(const std::string& programDirectory,
                                      bool programDirectoryWritable,
                                      const std::string& localAppData) {
    if (programDirectoryWritable && !programDirectory.empty()) {
        return programDirectory;
    }
    std::string base = localAppData;
    // "C:\" and "C:\Users\ann\AppData\Local\" must not give a doubled separator.
    while (!base.empty() && (base.back() == '\\' || base.back() == '/')) {
        base.pop_back();
    }
    if (base.empty()) {
        return programDirectory;
    }
    return base + "\\" + kPerUserFolderName;
}
