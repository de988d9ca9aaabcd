#include "platform/posix/DeviceErrorText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string systemText(int error) {
    char buffer[256] = {};
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char* text = ::strerror_r(error, buffer, sizeof buffer);
    std::string result = text != nullptr ? text : "unknown error";
    if (!result.empty()) {
        result[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(result[0])));
    }
    return result;
}

bool processHasGroup(gid_t gid) {
    if (::getegid() == gid) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

bool userListedIn(const group& entry) {
    const passwd* user = ::getpwuid(::getuid());
    if (user == nullptr) {
        return false;
    }
    if (user->pw_gid == entry.gr_gid) {
        return true;
    }
    for (char** member = entry.gr_mem; member != nullptr && *member != nullptr; ++member) {
        if (std::strcmp(*member, user->pw_name) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string accessAdvice(const DeviceAccess& access) {
    const std::string& group = access.groupName;
    // Joining root's group would hand out far more than one device.
    if (group.empty() || group == "root") {
        return "only root may open it: ask an administrator for access";
    }
    switch (access.membership) {
    case GroupMembership::NotMember:
    case GroupMembership::Unknown:
        return "join the group " + group + " (sudo usermod -aG " + group +
               " $USER), then log out and in again";
    case GroupMembership::NotInSession:
        return "you are in the group " + group +
               ", but this login session started before: log out and in again";
    case GroupMembership::InSession:
        break;
    }
    return {};
}

std::string deviceOpenReason(const std::string& path, int error, const DeviceAccess& access) {
    std::string reason;
    switch (error) {
    case EACCES:
    case EPERM: {
        reason = "permission denied";
        const std::string advice = accessAdvice(access);
        if (!advice.empty()) {
            reason += "; " + advice;
        }
        break;
    }
    case EBUSY:
    case EWOULDBLOCK:
        reason = "busy: held by another program (a print queue, a terminal program, "
                 "ModemManager or another mirelith)";
        break;
    case ENOENT:
        reason = "no such device";
        break;
    case ENXIO:
    case ENODEV:
    case EIO:
        // A /dev/ttyS node exists for every possible UART; most have no hardware behind them.
        reason = "no such device: nothing is attached behind this device node";
        break;
    case ENOTTY:
        reason = "not a serial port";
        break;
    case EISDIR:
        reason = "a directory, not a device";
        break;
    default:
        reason = systemText(error);
        break;
    }
    return path + ": " + reason;
}

std::string deviceErrorReason(const std::string& path, int error) {
    return path + ": " + systemText(error);
}

DeviceAccess deviceAccessOf(const std::string& path) {
    DeviceAccess access;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return access;
    }
    const group* entry = ::getgrgid(info.st_gid);
    if (entry == nullptr) {
        return access;
    }
    access.groupName = entry->gr_name;
    if (processHasGroup(info.st_gid)) {
        access.membership = GroupMembership::InSession;
    } else if (userListedIn(*entry)) {
        access.membership = GroupMembership::NotInSession;
    } else {
        access.membership = GroupMembership::NotMember;
    }
    return access;
}
