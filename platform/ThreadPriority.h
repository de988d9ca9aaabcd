#pragma once

// Raises the calling thread to the highest normal priority where the host allows it
// (device readers must keep up with the line). Best effort: failure is not an error.
void raiseCurrentThreadPriority();
