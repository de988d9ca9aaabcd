#pragma once
// Checks of what the user sees, read back from the screen: the painted frames whole on all four
// edges, pictures and the progress bar not cut off, button faces apart from each other and
// their texts clear of the faces' ends, a list inside its group frame and a label not painted
// over. The sizes of the templates are in dialog units, so these break first when the system
// gives the dialogs a smaller or wider font than the one they were drawn for.
#include <windows.h>

#include <string>

void checkSelectionIsWhole(HWND select);
void checkMainWindowIsWhole(HWND main);
void checkConfigurationIsWhole(HWND config);
// programPath: the program file, from which the notice's own picture is read for comparison.
void checkNoticeIsWhole(HWND notice, const std::string& programPath);
