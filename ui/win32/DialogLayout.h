#pragma once
// Keeping the dialogs whole whatever font the system gives them. The templates are sized in
// dialog units, which scale with the dialog font, while the pictures, the button faces and the
// progress bar are fixed in pixels: with a font smaller than the one the templates were drawn
// for, a picture would be cut off, two faces would overlap or a child would sit on the painted
// frame. These helpers run once, at the end of a dialog's initialisation.
#include <windows.h>

#include <vector>

// The dialog's own child windows, top of the z-order first.
std::vector<HWND> directChildren(HWND dialog);

// A child window's rectangle in its dialog's client coordinates.
RECT childRect(HWND dialog, HWND child);

// The smallest rectangle that holds all the given children.
RECT unionOfChildren(HWND dialog, const std::vector<HWND>& children);

// Grows the window, about its centre, until its client area is at least width x height pixels.
// It never shrinks.
void growClientToHold(HWND window, int width, int height);

// Grows the window until every child lies at least margin pixels inside the right and bottom
// edges of its client area.
void growToHoldChildren(HWND window, int margin);

// Moves two faces of one row apart until at least minGap pixels lie between them: each by half,
// except that the left one stays at least minLeft pixels from the window's left edge. Faces
// that are far enough apart stay where they are.
void separateFaces(HWND dialog, HWND left, HWND right, int minGap, int minLeft);

// Keeps the dialog's one-pixel painted frame whole: every child that reaches it (a group frame
// at the top edge, a banner) draws the frame again after it has painted itself.
void keepFrameOnTop(HWND dialog);

// Shortens a list so that its bottom stays inside the group frame around it.
void fitInsideGroupFrame(HWND dialog, HWND list, HWND frame);

// The dialog's first group frame (a button with the group-box style), or null.
HWND firstGroupFrame(HWND dialog);
