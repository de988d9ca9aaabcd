// The Windows log place, tested on both builds (it makes no Windows call).
#include "platform/WindowsLogPlace.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// Beside the program when its user may write there; else in the user's local application data
// (with no doubled separator), unless there is none: then the program directory is all there is.
TEST(WindowsLogPlace, BesideAWritableProgramElseInTheUsersLocalApplicationData) {
    const std::string local = "C:\\Users\\ann\\AppData\\Local";
    const std::string installed = "C:\\Program Files\\Mirelith";
    // The program's directory, whether its user may write there, the local application data.
    const std::tuple<std::string, bool, std::string, std::string> rows[] = {
        {"D:\\tools\\mirelith", true, local, "D:\\tools\\mirelith"},
        {"\\\\server\\share\\fw", true, "", "\\\\server\\share\\fw"},
        {installed, false, local, local + "\\Mirelith"},
        {installed, false, local + "\\", local + "\\Mirelith"},
        {installed, false, "C:\\", "C:\\Mirelith"},
        {"", true, local, local + "\\Mirelith"}, // the program's directory was not found
        {installed, false, "", installed},
        {installed, false, "\\", installed},
    };
    for (const auto& [program, writable, localAppData, expected] : rows) {
        EXPECT_EQ(chooseWindowsLogDirectory(program, writable, localAppData), expected)
            << program << " / " << writable << " / " << localAppData;
    }
}

} // namespace
