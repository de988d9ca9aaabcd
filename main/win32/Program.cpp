#include "main/win32/Program.h"

#include "app/EventLog.h"
#include "app/ExitStatus.h"
#include "app/ToolOptions.h"
#include "app/UsageText.h"
#include "main/BuildInfo.h"
#include "main/PrinterQuestions.h"
#include "main/SystemRun.h"
#include "platform/TerminationSignals.h"
#include "platform/TextEscape.h"
#include "platform/win32/UniqueHandle.h"
#include "ui/UsbPrinterList.h"
#include "ui/win32/InteractiveRunner.h"

#include <cstdio>
#include <optional>
#include <windows.h>

namespace {

// Held while the program runs, so that the installer and the uninstaller can tell that a copy is
// running (its files cannot be replaced then) in every session of the machine.
constexpr const char* kRunningMutexName = "Global\\MirelithProgramRunning";

// Standard error as the terminal lines see it: a console (the bar is redrawn in place, as wide
// as the window) or a pipe or file (start and end lines only).
TerminalProgress::Style consoleStyle(bool quiet) {
    TerminalProgress::Style style;
    style.quiet = quiet;
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    style.isTerminal = err != nullptr && err != INVALID_HANDLE_VALUE && GetConsoleMode(err, &mode);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (style.isTerminal && GetConsoleScreenBufferInfo(err, &info)) {
        style.columns = info.srWindow.Right - info.srWindow.Left + 1;
    }
    return style;
}

} // namespace

int runProgram(const std::vector<std::string>& arguments, ProgramFace face) {
    const bool console = face == ProgramFace::Console;
    const UniqueHandle running(CreateMutexA(nullptr, FALSE, kRunningMutexName));
    // The program's own options are answered, or put aside, before start-up reads the rest. The
    // window program has no terminal: it takes only "--result" and leaves the other words to
    // start-up as before.
    const ToolOptions options =
        takeToolOptions(arguments, console ? ToolOptionSet::All : ToolOptionSet::ResultOnly);
    EventLog& log = EventLog::instance();
    if (options.help) {
        std::fputs(helpText(log.filePath()).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(versionText({kProgramVersion, compilerDescription(), ""}).c_str(), stdout);
        std::printf("log file: %s\n", log.filePath().c_str());
        return 0;
    }
    if (options.list) {
        std::fputs("mirelith: --list is not available in the Windows program; ports are named "
                   "COM1, LPT1, USB or NET <address> (see --help)\n",
                   stderr);
        return 1;
    }
    if (!options.error.empty()) {
        if (console) {
            std::fprintf(stderr, "mirelith: %s; see mirelith --help\n",
                         escapeForLine(options.error).c_str());
        }
        return kExitInvalidParameters;
    }
    if (options.identify) {
        return identifyOnSystem(options, log);
    }
    if (console) {
        // From here on Ctrl+C and Ctrl+Break only ask the run to stop, so an interrupted silent
        // run still gives the queues back and ends with its log line and result, exit status 3.
        watchTerminationSignals();
        if (options.resultWithoutFile) {
            std::fputs("mirelith: --result needs a file name (--result FILE or --result=FILE); "
                       "no result file is written\n",
                       stderr);
        }
    }

    ReplayReport echo;
    if (console) {
        echo = [](const std::string& line) {
            std::fprintf(stderr, "mirelith: %s\n", escapeForLine(line).c_str());
        };
    }
    SystemRun run(log, options, echo);
    const StartupPlan& plan = run.plan();
    SilentRunViews views({kProgramVersion, options.resultPath, console ? stderr : nullptr,
                          console ? consoleStyle(options.quiet) : TerminalProgress::Style{},
                          options.arguments.size() > 1},
                         log, systemFileSystem(), systemClock());
    views.planned(plan);

    if (plan.run == PlannedRun::Interactive) {
        // An interactive window does not watch Ctrl+C: it ends the console program as it always
        // would.
        releaseTerminationSignals();
        SystemUsbPrinterSource usbPrinters;
        PrinterServices& services = run.services();
        InteractiveRunner window(
            {services.port, services.socket, services.queues, log, systemClock(), usbPrinters});
        const int status = window.run(plan.job);
        log.flush();
        return status;
    }

    // The window program's unwritten result file has no one to tell: its absence says it.
    return runWithoutWindow(run, options, views, log, console ? stderr : nullptr);
}
