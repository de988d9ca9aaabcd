#pragma once
// A message box of the engine reached as a user reaches it: with the mouse, through whatever
// windows lie on the screen.
#include "tests/wine/ui_driver/WindowProbe.h"

#include <windows.h>

#include <functional>

// Configures Ethernet to a port on 127.0.0.1 that refuses connections and presses Download:
// the "Socket Connect Error! ..." box must come up above the main window (which is kept above
// other windows) and close with a real mouse click on its OK button. beforeClick runs while the
// box is up (for a screenshot).
void checkConnectErrorBoxTakesAClick(const WindowProbe& probe, HWND main,
                                     const std::function<void()>& beforeClick);
