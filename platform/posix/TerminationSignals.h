#pragma once
// The Linux side of the termination watch (platform/TerminationSignals.h): each signal caught is
// one byte (its number) on a non-blocking pipe, so a loop can wait for it with poll.

// The pipe's read end, or -1 when signals are not watched.
int terminationSignalFd();
