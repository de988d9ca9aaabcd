// Start-up returns a plan; it is dispatched once: an interactive run goes to the window (or is
// handed over to the program that has one), every other run is hosted in a headless event loop
// and ends in one RunEnd, from which the terminal lines, the result file and the exit status
// follow.
#include "main/posix/LinuxProgram.h"

#include "app/ExitStatus.h"
#include "app/ToolOptions.h"
#include "app/UsageText.h"
#include "main/BuildInfo.h"
#include "main/PrinterQuestions.h"
#include "main/SystemRun.h"
#include "platform/TerminationSignals.h"
#include "platform/TextEscape.h"
#include "platform/posix/DeviceList.h"

#include <csignal>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
// The width of the terminal on standard error, 0 when it is not a terminal or does not say.
int terminalColumns() {
    winsize size{};
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}
} // namespace

int runLinuxProgram(int argc, char** argv, const LinuxProgram& program) {
    // The program's own options are answered, or put aside, before start-up reads the rest.
    const ToolOptions options =
        takeToolOptions(std::vector<std::string>(argv, argv + argc), ToolOptionSet::All);
    EventLog& log = EventLog::instance();
    if (options.help) {
        std::fputs(helpText(log.filePath()).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        const BuildInfo build{kProgramVersion, compilerDescription(), program.qtVersion};
        std::fputs(versionText(build).c_str(), stdout);
        return 0;
    }
    if (options.list) {
        return printDeviceList(stdout);
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "mirelith: %s; see mirelith --help\n",
                     escapeForLine(options.error).c_str());
        return kExitInvalidParameters;
    }
    // From here on a termination signal only asks the run to stop, so a silent run interrupted
    // at any moment (reading its settings, hashing a large image, writing its result) still
    // gives the queues back and ends with its log line and result file, exit status 3.
    watchTerminationSignals();
    if (options.resultWithoutFile) {
        std::fputs("mirelith: --result needs a file name (--result FILE or --result=FILE); "
                   "no result file is written\n",
                   stderr);
    }
    // The terminal lines must never end a run: when standard error is a pipe whose reader has
    // gone, a write fails quietly instead of raising SIGPIPE before the log and result are
    // written.
    std::signal(SIGPIPE, SIG_IGN);

    if (options.identify) {
        return identifyOnSystem(options, log);
    }

    SystemRun run(log, options, [](const std::string& line) {
        std::fprintf(stderr, "mirelith: %s\n", escapeForLine(line).c_str());
    });
    const StartupPlan& plan = run.plan();
    if (plan.run == PlannedRun::Interactive) {
        // An interactive window does not watch termination signals: they end it as they always
        // have (one that came during start-up ends it now).
        releaseTerminationSignals();
        if (program.handOver) {
            // The program with the window starts this run again from its beginning: whatever
            // this one would say of it (its warnings) is said there, once.
            log.flush();
            program.handOver();
        }
    }
    SilentRunViews views({kProgramVersion,
                          options.resultPath,
                          stderr,
                          {isatty(STDERR_FILENO) == 1, options.quiet, terminalColumns()},
                          options.arguments.size() > 1},
                         log, systemFileSystem(), systemClock());
    views.planned(plan);

    if (plan.run == PlannedRun::Interactive) {
        PrinterServices& services = run.services();
        const int status =
            program.runWindow({plan.job, services.port, services.socket, services.queues, log,
                               [](const std::string& line) {
                                   std::fprintf(stderr, "%s\n", escapeForLine(line).c_str());
                               }});
        log.flush();
        return status;
    }

    return runWithoutWindow(run, options, views, log, stderr);
}
