#pragma once
// Finding the firmware file in the start directory when the settings name no file (or no
// model), and the test whether a file can be read.
#include "app/StartupSettings.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <stdexcept>
#include <string>

// The start directory's only firmware file decides model and file. Needs an empty modelName;
// on success sets modelName (the file's model part, which must carry a family prefix) and
// firmwareFileName. Fails when there is no such file or more than one; changes nothing then.
bool findSoleFirmware(StartupSettings& settings, FileSystem& files);

// The newest firmware file of modelName in the start directory. Names are compared in
// ascending byte order, so of two files with the same date the smaller name wins on every
// platform. Sets firmwareFileName only when it chooses a file.
bool findNewestFirmware(StartupSettings& settings, FileSystem& files);

// Raised by fileExists when a file exists but cannot be opened for reading.
class FileError : public std::runtime_error {
  public:
    FileError(const std::string& path, int32_t systemError);
    int32_t systemError() const { return systemError_; }

  private:
    int32_t systemError_;
};

// True when path can be opened for reading, false when it does not exist; throws FileError
// for any other failure (no permission, a directory, a device).
bool fileExists(FileSystem& files, const std::string& path);
