#include "platform/win32/OverlappedIo.h"

#include "platform/win32/UniqueHandle.h"

namespace {
constexpr DWORD kAbandonSliceMs = 10;

IoResult finish(BOOL ok, DWORD count) {
    IoResult r;
    r.ok = ok != FALSE;
    r.count = count;
    if (!r.ok) {
        r.nativeError = static_cast<int>(GetLastError());
    }
    return r;
}

BOOL start(HANDLE h, Transfer kind, void* buffer, DWORD length, DWORD* count, OVERLAPPED* ov) {
    return kind == Transfer::Read ? ReadFile(h, buffer, length, count, ov)
                                  : WriteFile(h, buffer, length, count, ov);
}
} // namespace

IoResult transfer(HANDLE h, bool overlapped, Transfer kind, void* buffer, DWORD length) {
    DWORD count = 0;
    if (!overlapped) {
        const BOOL ok = start(h, kind, buffer, length, &count, nullptr);
        return finish(ok, count);
    }
    UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event) {
        return finish(FALSE, 0);
    }
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    BOOL ok = start(h, kind, buffer, length, &count, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING) {
        ok = GetOverlappedResult(h, &ov, &count, TRUE);
    }
    return finish(ok, count);
}

IoResult readOverlappedWithin(HANDLE h, void* buffer, DWORD length, DWORD waitMs,
                              const std::atomic<bool>& abandon) {
    UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event) {
        return finish(FALSE, 0);
    }
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    DWORD count = 0;
    if (ReadFile(h, buffer, length, &count, &ov)) {
        return finish(TRUE, count);
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return finish(FALSE, 0);
    }
    const DWORD begin = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - begin;
        if (abandon.load() || elapsed >= waitMs) {
            // Cancel, then collect the outcome so the buffer and OVERLAPPED are free to go.
            CancelIo(h);
            const BOOL ok = GetOverlappedResult(h, &ov, &count, TRUE);
            return finish(ok, count);
        }
        const DWORD slice = waitMs - elapsed < kAbandonSliceMs ? waitMs - elapsed : kAbandonSliceMs;
        if (WaitForSingleObject(event.get(), slice) == WAIT_OBJECT_0) {
            const BOOL ok = GetOverlappedResult(h, &ov, &count, FALSE);
            return finish(ok, count);
        }
    }
}
