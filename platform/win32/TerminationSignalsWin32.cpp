#include "platform/TerminationSignals.h"

// Windows programs are not ended by POSIX termination signals; a silent run there ends when its
// window is destroyed, which the silent host already handles.
void watchTerminationSignals() {}
void releaseTerminationSignals() {}
