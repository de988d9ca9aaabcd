#pragma once
// The printer queues of a CUPS server seen through the Spooler interface.
//
// Moving a queue to "FILE:" stops it (IPP Pause-Printer, with a state message saying why):
// a stopped queue sends nothing to its device, takes back a job that was printing, and keeps
// accepting and holding new jobs, which print once the queue is given back. Giving the port
// back restores what was saved when the queue was stopped: its device URI, whether it accepts
// jobs, and whether it was running (Resume-Printer only for a queue that was running before).
// A queue that was already stopped is left stopped. Attributes have no CUPS counterpart: they
// read as 0 and writing them changes nothing.
#include "platform/Spooler.h"

#include <string>

// server: a host name or a socket path; empty means the user's default (CUPS_SERVER,
// client.conf). Without CUPS support in the build the spooler has no queues.
std::unique_ptr<Spooler> makeCupsSpooler(const std::string& server = "");

// The message shown on a queue while a download has it stopped.
extern const char kCupsRedirectMessage[];
