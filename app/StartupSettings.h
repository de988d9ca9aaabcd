#pragma once
// What the settings readers gather at start-up: the model, the firmware file, the connection
// and the flags that say which of them were given and which port types were named.
#include "ports/PortSettings.h"

#include <cstdint>
#include <string>
#include <vector>

struct StartupSettings {
    int32_t modelCode = 0;
    std::string modelName;
    PortSettings portSettings;
    // Relative to startDirectory.
    std::string firmwareFileName;
    std::string startDirectory;

    bool modelGiven = false;
    bool portGiven = false; // for USB it stays false until discovery supplies the device path
    bool fileGiven = false;
    // More than one port type can be named by one command line.
    bool portIsCom = false;
    bool portIsLpt = false;
    bool portIsUsb = false;
    bool portIsNet = false;

    // Why the settings were refused (the run is then Invalid): the argument or INI key with its
    // value, and what would be accepted. Empty when nothing was refused.
    std::string refusal;
    // What start-up had to guess or leave out without refusing the run, one sentence each.
    std::vector<std::string> warnings;

    // Completes portSettings with the fixed timeouts, buffer sizes and carried values, and the
    // serial line settings when a COM port was named. False when no port type was named.
    bool fillSerialDefaults();
};
