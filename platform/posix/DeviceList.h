#pragma once
// "mirelith --list": what is attached to this machine that the program can download to (serial
// ports, parallel ports, USB printers, the CUPS queues on each), whether this user may open
// each device and which group to join when not, then the model names.
#include <cstdio>

// Prints the list to out; returns the program's exit status for the listing (0).
int printDeviceList(std::FILE* out);
