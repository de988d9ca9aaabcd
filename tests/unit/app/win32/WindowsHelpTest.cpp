// "--help" of the Windows console program: the same text as on Linux where the systems agree,
// and nothing that only Linux has (device paths, --list, signals, XDG directories).
#include "app/UsageText.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsHelp, NamesWindowsPortsAndLogPlaceAndNothingOnlyLinuxHas) {
    const std::string help = helpText("C:\\Users\\ann\\AppData\\Local\\Mirelith\\_QEM_NUV.txt");
    for (const char* text :
         {"Usage: mirelith -s", "mirelith --help | --version\n\nWrites new firmware",
          "  --result FILE", "-h, --help", "COMn, \\\\.\\COMn", "NET ADDRESS",
          "FWNAME=", "%LOCALAPPDATA%\\Mirelith\\", "2  the download failed",
          "3  interrupted by Ctrl+C or Ctrl+Break",
          "appended to\n  C:\\Users\\ann\\AppData\\Local\\Mirelith\\_QEM_NUV.txt\n"}) {
        EXPECT_NE(help.find(text), std::string::npos) << text;
    }
    for (const char* text : {"/dev/", "--list", "SIGHUP", "XDG_STATE_HOME", "MIRELITH_COMn"}) {
        EXPECT_EQ(help.find(text), std::string::npos) << text;
    }
}

} // namespace
