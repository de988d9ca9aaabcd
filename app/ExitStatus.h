#pragma once
// The process's exit statuses.
enum ExitStatus : int {
    kExitNormal = 0,
    kExitInvalidParameters = 1, // settings rejected ("Invalid parameters" logged)
    kExitNothingDownloaded = 2, // the download failed or could not start
    kExitInterrupted = 3,       // a signal ended the run
    kExitNoGraphicalMode = 4,   // an interactive run was asked for where there is no window
    kExitNotVerified = 5        // the printer did not say it runs the new firmware (or, asked
                                // who it is, gave no version)
};
