#pragma once
// The two sources of a silent run's settings: the "-s" command line and the INI file. Both fill
// StartupSettings, complete a missing model or file by firmware discovery and return the run
// mode. Each accepted setting is reported at level Trace (never written to the log).
#include "app/Reporter.h"
#include "app/RunMode.h"
#include "app/StartupSettings.h"
#include "platform/FileSystem.h"

#include <string>
#include <vector>

// arguments[0] is the program; "-s" must come first, then "-m", "-p", "-b", "-tcpport", "-f"
// in any order. Interactive when there is no "-s" or discovery cannot complete the settings.
RunMode parseCommandLine(StartupSettings& settings, const std::vector<std::string>& arguments,
                         FileSystem& files, Reporter& reporter);

// Section "NUV" of the INI file at iniPath. Only Silent or Invalid.
RunMode loadIniSettings(StartupSettings& settings, const std::string& iniPath, FileSystem& files,
                        Reporter& reporter);
