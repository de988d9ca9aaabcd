#pragma once
// What start-up decided, as one value: which run to make and the job for it, or why there is
// none. The entry point dispatches on it once; nothing after start-up decides again.
#include "app/DownloadJob.h"

enum class PlannedRun {
    Interactive,  // the main window, with the job's defaults
    Silent,       // an unattended download of the job
    Invalid,      // the settings were refused (job.refusal says why): exit status 1
    NoUsbPrinter, // a silent USB run found no printer of the job's model: nothing to send to
};

struct StartupPlan {
    PlannedRun run = PlannedRun::Interactive;
    // For every plan: the refusal and the warnings. For a silent one (and NoUsbPrinter): the
    // model, the firmware path and the port.
    DownloadJob job;
    // The settings came from qemnuv.ini in the start directory (the command line was not read).
    bool settingsFromIni = false;
};
