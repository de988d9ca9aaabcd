#pragma once
// Termination signals as a request to stop rather than an end. A silent run must always give
// the printer queues back and write its log and result, so from the first moment of the run
// (before settings, firmware or hashing are read) until the process exits, SIGINT, SIGTERM and
// SIGHUP only ask for an interrupt (see Interrupt.h) and wake the silent host's loop. On Windows
// the console program watches Ctrl+C and Ctrl+Break the same way.

// Starts watching; calling it again changes nothing.
void watchTerminationSignals();
// Gives the signals their default action back, for an interactive window that does not watch
// them. A signal that came while they were watched then ends the process, as it would have.
void releaseTerminationSignals();

// The name of a signal that asked for an interrupt ("SIGTERM"), or "a signal" for one not
// watched. On Windows, Ctrl+C and Ctrl+Break arrive as SIGINT.
const char* terminationSignalName(int signal);
