// The Windows log place, tested on both builds (it makes no Windows call).
#include "platform/WindowsLogPlace.h"

#include <gtest/gtest.h>

namespace {

const std::string kLocal = "C:\\Users\\ann\\AppData\\Local";

TEST(WindowsLogPlace, AProgramInAFolderItsUserMayWriteKeepsItsLogBesideItself) {
    EXPECT_EQ(chooseWindowsLogDirectory("D:\\tools\\mirelith", true, kLocal),
              "D:\\tools\\mirelith");
    // Even without a per-user folder to fall back on.
    EXPECT_EQ(chooseWindowsLogDirectory("\\\\server\\share\\fw", true, ""),
              "\\\\server\\share\\fw");
}

TEST(WindowsLogPlace, AnInstalledProgramLogsToTheUsersLocalApplicationData) {
    const std::string installed = "C:\\Program Files\\Mirelith";
    EXPECT_EQ(chooseWindowsLogDirectory(installed, false, kLocal),
              "C:\\Users\\ann\\AppData\\Local\\Mirelith");
    // The system's spelling with a trailing separator gives no doubled one.
    EXPECT_EQ(chooseWindowsLogDirectory(installed, false, kLocal + "\\"),
              "C:\\Users\\ann\\AppData\\Local\\Mirelith");
    EXPECT_EQ(chooseWindowsLogDirectory(installed, false, "C:\\"), "C:\\Mirelith");
    // A program file whose directory could not be found has nowhere else to go either.
    EXPECT_EQ(chooseWindowsLogDirectory("", true, kLocal),
              "C:\\Users\\ann\\AppData\\Local\\Mirelith");
}

TEST(WindowsLogPlace, WithoutLocalApplicationDataTheProgramDirectoryIsTheOnlyChoice) {
    EXPECT_EQ(chooseWindowsLogDirectory("C:\\Program Files\\Mirelith", false, ""),
              "C:\\Program Files\\Mirelith");
    EXPECT_EQ(chooseWindowsLogDirectory("C:\\Program Files\\Mirelith", false, "\\"),
              "C:\\Program Files\\Mirelith");
}

} // namespace
