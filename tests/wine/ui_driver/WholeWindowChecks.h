#pragma once
// What the user sees, read back from the screen: painted frames whole on all four edges, the
// notice's picture and the faces inside them, a list inside its group frame. The templates are
// sized in dialog units, so these break first when the dialog font comes out smaller.
#include <windows.h>

#include <string>

void checkSelectionIsWhole(HWND select);
void checkMainWindowIsWhole(HWND main);
void checkConfigurationIsWhole(HWND config);
// programPath: the program file, whose own picture the screen is compared with.
void checkNoticeIsWhole(HWND notice, const std::string& programPath);
