#pragma once
// Pieces the program's dialogs share: the application-wide dialog colours, dragging a
// captionless window by its background, the white framed background, text conversions.
#include "app/FirmwareApp.h"
#include "ui/DialogLook.h"

#include <windows.h>

#include <string>

// The dialog background and text colour of the whole application are kDialogBackground and
// kDialogText (ui/DialogLook.h).

// Caption of the dialogs' own message boxes: the application title, as on the start-up
// messages. The download's reports go through the event log and carry its caption instead.
inline constexpr const char* kMessageCaption = FirmwareApp::kTitle;

// Moves the window with the mouse as if its (missing) title bar had been grabbed.
void beginDragMove(HWND window);

// Fills the client area white with a one-pixel black frame on its edge.
void paintFramedBackground(HWND window);

// Colours a control the application-wide way: white behind dark grey text.
HBRUSH applicationControlColor(HDC dc);

// The window text of a control.
std::string controlText(HWND control);

// The directory of the program's own file, without a trailing backslash.
std::string programDirectory();

// A message box with the application title as caption and one OK button.
void showMessage(HWND owner, const std::string& text);

// The module whose resources the views load (the program itself).
HINSTANCE resourceModule();
