#pragma once
// The printer queues of a CUPS server seen through the Spooler interface.
//
// Moving a queue to "FILE:" stops it (IPP Pause-Printer, with a state message saying why):
// a stopped queue sends nothing to its device, takes back a job that was printing, and keeps
// accepting and holding new jobs, which print once the queue is given back. A queue stopped
// with that message reads as being on "FILE:", in this process or any later one. A record's
// spooler state holds the queue's device URI, whether it accepts jobs, whether it runs and its
// message; giving the port back restores them from the saved record (Resume-Printer only for a
// queue that was running before), so another process can do it from a journal. A queue that
// was already stopped is left stopped. Attributes have no CUPS counterpart: they read as 0 and
// writing them changes nothing.
#include "platform/Spooler.h"

#include <string>

// server: a host name or a socket path; empty means the user's default (CUPS_SERVER,
// client.conf). Without CUPS support in the build the spooler has no queues.
std::unique_ptr<Spooler> makeCupsSpooler(const std::string& server = "");

// The message shown on a queue while a download has it stopped.
extern const char kCupsRedirectMessage[];
