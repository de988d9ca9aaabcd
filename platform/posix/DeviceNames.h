#pragma once
// Where the Windows port names live on this host. "COMn" and "\\.\COMn" are /dev/ttyS(n-1),
// "LPTn" is /dev/lp(n-1); the environment variable MIRELITH_COMn or MIRELITH_LPTn, when set
// and not empty, names another device for that port (a USB serial adapter, a pseudo-terminal).
#include <cstdlib>
#include <functional>
#include <string>

using EnvLookup = std::function<const char*(const char*)>;

// The process's own environment, as an EnvLookup.
inline const char* lookupEnv(const char* name) {
    return std::getenv(name);
}

// COM1-COM256 and LPT1-LPT256, as on Windows.
inline constexpr int kMaxPortNumber = 256;

// The port number of "COMn", "\\.\COMn" or "LPTn" (prefix given), 0 when the name is not of
// that form or the number is outside 1..256.
int portNumber(const std::string& name, const std::string& prefix);

// The device path for a serial or parallel port name, "" when the name names no port. A device
// path of the port's kind ("/dev/ttyUSB0" for serial, "/dev/lp0" for parallel) names itself.
std::string serialDevicePath(const std::string& name, const EnvLookup& env);
std::string parallelDevicePath(const std::string& name, const EnvLookup& env);
