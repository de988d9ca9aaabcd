#pragma once
// One transfer on a handle: overlapped (waiting for its completion) or plain synchronous.
#include "platform/DeviceTypes.h"

#include <atomic>
#include <windows.h>

enum class Transfer { Read, Write };

// Blocks until the transfer completes (bounded only by the handle's own timeouts).
IoResult transfer(HANDLE h, bool overlapped, Transfer kind, void* buffer, DWORD length);

// An overlapped read that waits at most waitMs, giving up early once abandon is set; an
// unfinished read is cancelled and its partial count kept.
IoResult readOverlappedWithin(HANDLE h, void* buffer, DWORD length, DWORD waitMs,
                              const std::atomic<bool>& abandon);
