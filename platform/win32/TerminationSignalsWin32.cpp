#include "platform/Interrupt.h"
#include "platform/TerminationSignals.h"
#include "platform/win32/InterruptWake.h"

#include <atomic>
#include <csignal>
#include <windows.h>

// A console program is ended by Ctrl+C and Ctrl+Break unless it handles them. Watched, they only
// ask the run to stop (as SIGINT does on Linux), so the printer queues are given back and the
// log and result written. Closing the console window, logging off and shutting down still end
// the program: Windows allows a handler only a few seconds for those, and the queues moved aside
// are given back at the next start from their journal. The window program has no console: for
// it nothing changes.

namespace {

std::atomic<HWND> wakeWindow{nullptr};

BOOL WINAPI onConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    requestInterruptBySignal(SIGINT);
    if (const HWND window = wakeWindow.load()) {
        PostMessageA(window, kInterruptWakeMessage, 0, 0);
    }
    return TRUE;
}

} // namespace

void setInterruptWakeWindow(HWND window) {
    wakeWindow.store(window);
}

void watchTerminationSignals() {
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

void releaseTerminationSignals() {
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
}

const char* terminationSignalName(int signal) {
    return signal == SIGINT ? "SIGINT" : "a signal";
}
