#include "platform/UsbIdFile.h"
#include "platform/posix/LogPlace.h"

#include <climits>
#include <unistd.h>

std::string usbIdFilePath() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        return "usbids.txt";
    }
    std::string program(buffer, static_cast<size_t>(length));
    const size_t slash = program.rfind('/');
    // An installed program keeps its configuration where the system keeps configuration.
    if (isSystemProgramDirectory(program.substr(0, slash == 0 ? 1 : slash))) {
        return "/etc/mirelith/usbids.txt";
    }
    return program.substr(0, slash + 1) + "usbids.txt";
}
