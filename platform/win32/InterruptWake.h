#pragma once
// The window that a console interrupt (Ctrl+C, Ctrl+Break) wakes: the silent host's hidden
// window, whose message loop then ends the run as interrupted. The console's handler runs on a
// thread of its own, so it only posts this message.
#include <windows.h>

inline constexpr UINT kInterruptWakeMessage = WM_APP + 0x4D;

// Null when no silent run is hosted.
void setInterruptWakeWindow(HWND window);
