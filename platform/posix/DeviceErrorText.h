#pragma once
// Why a printer device could not be used, in words a user can act on. A device node that only
// a group may open names that group, so the user learns which one to join (dialout for serial
// lines, lp for printers) and that a new group counts only after logging in again.
#include <string>

enum class GroupMembership {
    Unknown,      // the group could not be looked up
    InSession,    // this process already has the group
    NotInSession, // the user is listed in the group, but this login predates it
    NotMember,
};

struct DeviceAccess {
    std::string groupName; // the device's group, empty when unknown
    GroupMembership membership = GroupMembership::Unknown;
};

// What to do about a device this user may not open ("join the group dialout: ..."), or ""
// when joining a group would not help.
std::string accessAdvice(const DeviceAccess& access);

// "<path>: <reason>" for an open that failed with errno error.
std::string deviceOpenReason(const std::string& path, int error, const DeviceAccess& access);

// "<path>: <the system's text for error>".
std::string deviceErrorReason(const std::string& path, int error);

// The group that owns path and whether this process or user belongs to it.
DeviceAccess deviceAccessOf(const std::string& path);
