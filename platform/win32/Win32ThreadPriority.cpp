#include "platform/ThreadPriority.h"

#include <windows.h>

void raiseCurrentThreadPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
}
