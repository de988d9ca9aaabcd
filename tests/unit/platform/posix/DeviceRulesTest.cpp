// The Linux rules with branches: which device paths are ports of which kind, the reason a
// refused open is given, where the log of an installed program goes, and which program files
// are runs of this program.
#include "platform/DevicePaths.h"
#include "platform/posix/DeviceErrorText.h"
#include "platform/posix/LogPlace.h"
#include "platform/posix/ProgramPair.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(DevicePaths, KindFollowsTheFormOfThePath) {
    const std::pair<const char*, DevicePathKind> cases[] = {
        {"/dev/ttyS0", DevicePathKind::Serial},
        {"/dev/pts/4", DevicePathKind::Serial},
        {"/dev/serial/by-id/usb-Prolific-if00", DevicePathKind::Serial},
        {"/dev/lp0", DevicePathKind::Parallel},
        {"/dev/usb/lp0", DevicePathKind::Usb},
        {"/dev/tty", DevicePathKind::None}, // the controlling terminal itself
        {"/dev/usb/hiddev0", DevicePathKind::None},
        {"/DEV/TTYS0", DevicePathKind::None},
        {"COM1", DevicePathKind::None},
        // The form of a printer path that climbs out of /dev names whatever it reaches.
        {"/dev/lp/../sda", DevicePathKind::None},
        {"/dev/usb/lp0/../../sda", DevicePathKind::None},
        {"/dev/ttyS0/..", DevicePathKind::None},
        {"/dev/lp..0", DevicePathKind::Parallel}, // a strange name, but no climb
        // A bare stem and paths outside /dev are no devices.
        {"/dev/usb/lp", DevicePathKind::None},
        {"/tmp/ttyS0", DevicePathKind::None},
        {"dev/ttyS0", DevicePathKind::None},
    };
    for (const auto& [path, kind] : cases) {
        EXPECT_EQ(devicePathKind(path), kind) << path;
    }
}

TEST(DeviceErrorText, ReasonsSayWhatToDo) {
    const DeviceAccess dialout{"dialout", GroupMembership::NotMember};
    EXPECT_EQ(deviceOpenReason("/dev/ttyUSB0", EACCES, dialout),
              "/dev/ttyUSB0: permission denied; join the group dialout (sudo usermod -aG dialout "
              "$USER), then log out and in again");
    EXPECT_EQ(deviceOpenReason("/dev/usb/lp0", EACCES, {"lp", GroupMembership::NotInSession}),
              "/dev/usb/lp0: permission denied; you are in the group lp, but this login session "
              "started before: log out and in again");
    // Joining a group that already is ours, or root's, is no advice.
    EXPECT_EQ(deviceOpenReason("/dev/lp0", EPERM, {"lp", GroupMembership::InSession}),
              "/dev/lp0: permission denied");
    EXPECT_NE(deviceOpenReason("/dev/ttyS0", EACCES, {"root", GroupMembership::NotMember})
                  .find("only root may open it"),
              std::string::npos);

    EXPECT_EQ(deviceOpenReason("/dev/ttyS1", EBUSY, dialout).rfind("/dev/ttyS1: busy: held by", 0),
              0u);
    EXPECT_EQ(deviceOpenReason("/dev/ttyS9", ENOENT, dialout), "/dev/ttyS9: no such device");
    EXPECT_EQ(deviceOpenReason("/dev/ttyS2", EIO, dialout).rfind("/dev/ttyS2: no such device", 0),
              0u);
    EXPECT_EQ(deviceOpenReason("/dev/lp0", ENOTTY, {}), "/dev/lp0: not a serial port");
    EXPECT_EQ(deviceOpenReason("/dev/lp0", EROFS, {}), "/dev/lp0: read-only file system");
}

TEST(LogPlace, InstalledProgramsNeverLogBesideThemselves) {
    for (const char* dir : {"/usr/bin", "/usr/local/bin/", "/opt/mirelith/bin", "/usr/games"}) {
        EXPECT_TRUE(isSystemProgramDirectory(dir)) << dir;
    }
    for (const char* dir : {"/home/ann/mirelith/build", "/usr/src/mirelith", "/tmp/bin", "/"}) {
        EXPECT_FALSE(isSystemProgramDirectory(dir)) << dir;
    }
    const std::string state = "/home/ann/.local/state/mirelith";
    EXPECT_EQ(chooseLogDirectory("/home/ann/build", true, false, state, false), "/home/ann/build");
    EXPECT_EQ(chooseLogDirectory("/root/build", true, true, state, true), "/root/build");
    // Root could write /usr/bin, but a package manager owns it.
    EXPECT_EQ(chooseLogDirectory("/usr/bin", true, true, state, true), "/var/log/mirelith");
    // Root in a directory the till's user owns (or may write) keeps nothing there.
    EXPECT_EQ(chooseLogDirectory("/home/pos/mirelith", true, true, state, false),
              "/var/log/mirelith");
    EXPECT_EQ(chooseLogDirectory("/usr/local/bin", false, false, state, true), state);
    EXPECT_EQ(chooseLogDirectory("/usr/bin", false, false, "", true), "/usr/bin");
}

// A window's run is the same process in mirelith-gui: it and mirelith hold each other's queues,
// beside each other only; any other program keeps none.
TEST(ProgramPair, TheTwoFilesInOneDirectoryAreOneProgram) {
    const struct {
        const char* self;
        const char* other;
        bool same;
    } cases[] = {
        {"/usr/bin/mirelith", "/usr/bin/mirelith", true},
        {"/usr/bin/mirelith", "/usr/bin/mirelith-gui", true},
        {"/usr/bin/mirelith-gui", "/usr/bin/mirelith", true},
        {"/home/ann/build/main/mirelith-gui", "/home/ann/build/main/mirelith-gui", true},
        {"/usr/bin/mirelith", "/usr/local/bin/mirelith-gui", false},
        {"/usr/bin/mirelith", "/usr/bin/sleep", false},
        {"/usr/bin/mirelith", "/usr/bin/mirelith-guix", false},
        {"/usr/bin/mirelith", "", false},
        {"", "", false},
        // Another program beside a mirelith-gui is not one of the pair.
        {"/tmp/t/loopback_tests", "/tmp/t/mirelith-gui", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isSameProgram(c.self, c.other), c.same) << c.self << " / " << c.other;
    }
}

} // namespace
