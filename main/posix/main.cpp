// Linux entry point: the same start-up as on Windows over the POSIX platform services. A silent
// run is hosted in a headless event loop; an interactive one gets the Qt window when the
// program is built with it.
#include "app/EventLog.h"
#include "app/ExitStatus.h"
#include "app/FirmwareApp.h"
#include "app/InteractiveUnavailableRunner.h"
#include "app/ToolOptions.h"
#include "app/UsageText.h"
#include "download/MainDialogSilentHost.h"
#include "download/PrinterQueueRedirector.h"
#include "download/QueueJournalReplay.h"
#include "download/SilentRunViews.h"
#include "main/BuildInfo.h"
#include "main/PrinterQuestions.h"
#include "platform/EventLoop.h"
#include "platform/TerminationSignals.h"
#include "platform/TextEscape.h"
#include "platform/posix/DeviceList.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "ports/UsbDiscovery.h"
#ifdef MIRELITH_GUI
#include "ui/UsbPrinterList.h"
#include "ui/qt/QtInteractiveRunner.h"
#endif

#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/ioctl.h>
#include <unistd.h>
#if defined(MIRELITH_GUI) && __has_include(<QtCore/qglobal.h>)
#include <QtCore/qglobal.h>
#endif

namespace {
// The width of the terminal on standard error, 0 when it is not a terminal or does not say.
int terminalColumns() {
    winsize size{};
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

// An interactive window does not watch termination signals: they end it as they always have.
// What start-up guessed is said before anything is shown of the run.
class SignalsReleasedForWindow final : public MainWindowRunner {
  public:
    SignalsReleasedForWindow(MainWindowRunner& runner, SilentRunViews& views)
        : runner_(runner), views_(views) {}
    void run(const DownloadJob& job) override {
        views_.startupWarnings(job);
        if (job.silentRun == 0 && job.quitAtStart == 0) {
            releaseTerminationSignals();
        }
        runner_.run(job);
    }

  private:
    MainWindowRunner& runner_;
    SilentRunViews& views_;
};

BuildInfo buildInfo() {
    BuildInfo build{kProgramVersion, compilerDescription(), ""};
#ifdef QT_VERSION_STR
    build.qtVersion = QT_VERSION_STR;
#endif
    return build;
}
} // namespace

int main(int argc, char** argv) {
    // The program's own options are answered, or put aside, before start-up reads the rest.
    const ToolOptions options =
        takeToolOptions(std::vector<std::string>(argv, argv + argc), ToolOptionSet::All);
    EventLog& log = EventLog::instance();
    if (options.help) {
        std::fputs(helpText(log.filePath()).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(versionText(buildInfo()).c_str(), stdout);
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

    // Queues that an ended run left moved aside are given back before this run does anything.
    restoreQueuesOfEndedRuns(log, [](const std::string& line) {
        std::fprintf(stderr, "mirelith: %s\n", escapeForLine(line).c_str());
    });

    std::optional<SocketLayer> sockets;
    FirmwareApp app({systemEnvironment(), systemFileSystem(), systemDesktop(), log,
                     [&] { return sockets.emplace().status(); },
                     [](int32_t modelCode) { return findUsbPrinterPort(modelCode); },
                     options.arguments});
    SilentRunViews views({kProgramVersion,
                          options.resultPath,
                          stderr,
                          {isatty(STDERR_FILENO) == 1, options.quiet, terminalColumns()},
                          options.arguments.size() > 1},
                         app, log, systemFileSystem(), systemClock());

    PortDriver port;
    NetPort socket;
    PrinterQueueRedirector queues(log.directory());
    MainDialogSilentHost silentHost({port, socket, queues, log, systemClock(), makeSilentEventLoop,
                                     [&] { views.flushLog(); }, verifySettingsOf(options),
                                     systemPrinterConnector()},
                                    app.exitStatus);
    silentHost.setRunObserver(views.observer());
    const auto printLine = [](const std::string& line) {
        std::fprintf(stderr, "%s\n", escapeForLine(line).c_str());
    };
#ifdef MIRELITH_GUI
    // An interactive run opens the Qt window (or says in one line why there is no display).
    SystemUsbPrinterSource usbPrinters;
    QtInteractiveRunner runner({port, socket, queues, log, systemClock(), usbPrinters}, silentHost,
                               app.exitStatus, printLine);
#else
    InteractiveUnavailableRunner runner(silentHost, app.exitStatus, printLine);
#endif
    SignalsReleasedForWindow windowRunner(runner, views);
    app.initInstance(windowRunner);
    std::string resultError;
    if (!views.finish(app.exitStatus, resultError)) {
        std::fprintf(stderr, "mirelith: the result file was not written: %s\n",
                     escapeForLine(resultError).c_str());
    }
    return app.exitInstance();
}
