#pragma once
// "mirelith --list": what is attached to this machine that the program can download to (serial
// ports, parallel ports, USB printers, the CUPS queues on each), whether this user may open
// each device and which group to join when not, then the model names.
//
// The device facts come from the system (under MIRELITH_DEV_ROOT and MIRELITH_SYSFS_ROOT when
// set, so a copy of a machine's tree can be listed); what a USB printer's identifiers mean and
// which models exist is known above this layer and handed in as DeviceListModels.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct DeviceListModels {
    // The model code a USB device interface path identifies, or -1.
    std::function<int32_t(const std::string& interfacePath)> usbModelOf;
    // "T90 Prime" for a code that has a name, else "".
    std::function<std::string(int32_t modelCode)> modelName;
    // The model names that "-m" and MODELNAME take, with their codes.
    std::vector<std::pair<std::string, int32_t>> namedModels;
};

// Prints the list to out; returns the program's exit status for the listing (0).
int printDeviceList(std::FILE* out, const DeviceListModels& models);

// The same with the program's own model knowledge (defined with the program's entry point).
int printDeviceList(std::FILE* out);
