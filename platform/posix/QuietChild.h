#pragma once
// Runs a piece of work in a child process whose output goes nowhere, for work that may print
// or abort on its own terms (a GUI toolkit opening its display, for one): whatever happens
// there, the caller only learns whether it ran to its end.
#include <functional>

// True when `work` returned in the child (which then exits 0); false when the child could not
// be made, or ended in any other way.
bool succeedsInQuietChild(const std::function<void()>& work);
