#include "platform/posix/DeviceNames.h"

#include "platform/DevicePaths.h"

namespace {

std::string pathFor(int number, const char* kind, const char* defaultStem, const EnvLookup& env) {
    if (number == 0) {
        return {};
    }
    const std::string variable = std::string("MIRELITH_") + kind + std::to_string(number);
    if (const char* chosen = env(variable.c_str()); chosen != nullptr && *chosen != '\0') {
        return chosen;
    }
    return defaultStem + std::to_string(number - 1);
}
} // namespace

int portNumber(const std::string& name, const std::string& prefix) {
    if (name.rfind(prefix, 0) != 0) {
        return 0;
    }
    const std::string digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 3 || digits[0] == '0') {
        return 0;
    }
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number <= kMaxPortNumber ? number : 0;
}

std::string serialDevicePath(const std::string& name, const EnvLookup& env) {
    if (devicePathKind(name) == DevicePathKind::Serial) {
        return name;
    }
    int number = portNumber(name, "COM");
    if (number == 0) {
        number = portNumber(name, "\\\\.\\COM");
    }
    return pathFor(number, "COM", "/dev/ttyS", env);
}

std::string parallelDevicePath(const std::string& name, const EnvLookup& env) {
    if (devicePathKind(name) == DevicePathKind::Parallel) {
        return name;
    }
    return pathFor(portNumber(name, "LPT"), "LPT", "/dev/lp", env);
}
