#include "main/SystemRun.h"

#include "app/ExitStatus.h"
#include "app/FirmwareApp.h"
#include "main/PrinterQuestions.h"
#include "platform/EventLoop.h"
#include "platform/TextEscape.h"
#include "ports/UsbDiscovery.h"
#include "silentrun/MainDialogSilentHost.h"

namespace {

QueueServices systemQueueServices() {
    return {systemStateFiles(), systemProcessTable(), [] { return makeSystemSpooler(); }};
}

StartupPlan planRun(EventLog& log, const ToolOptions& options, const SocketLayer& sockets,
                    const ReplayReport& echo) {
    // Queues that an ended run left moved aside are given back before this run does anything.
    restoreQueuesOfEndedRuns(systemQueueServices(), log.directory(), [&](const std::string& line) {
        log.append(LogLevel::Notice, line);
        log.flush();
        if (echo) {
            echo(line);
        }
    });
    if (!sockets.status().started) {
        systemDesktop().showMessageBox(socketInitErrorText(sockets.status()), FirmwareApp::kTitle);
    }
    FirmwareApp app({systemEnvironment(), systemFileSystem(), log,
                     [](int32_t modelCode) { return findUsbPrinterPort(modelCode); },
                     options.arguments});
    return app.plan();
}

} // namespace

PrinterServices::PrinterServices(EventLog& log)
    : port(systemDeviceFactory(), systemClock()), socket(systemSocketFactory()),
      queues(systemQueueServices(), log.directory()) {}

SystemRun::SystemRun(EventLog& log, const ToolOptions& options, const ReplayReport& echo)
    : log_(log), plan_(planRun(log, options, sockets_, echo)) {}

PrinterServices& SystemRun::services() {
    if (!services_) {
        services_.emplace(log_);
    }
    return *services_;
}

int runWithoutWindow(SystemRun& run, const ToolOptions& options, SilentRunViews& views,
                     EventLog& log, std::FILE* errors) {
    PrinterServices& services = run.services();
    MainDialogSilentHost silentHost({services.port, services.socket, services.queues, log,
                                     systemClock(), makeSilentEventLoop, [&] { views.flushLog(); },
                                     verifySettingsOf(options),
                                     systemPrinterConnector(run.plan().job.portSettings.portName)});
    silentHost.setRunObserver(views.observer());
    const RunEnd end = runUnattended(run.plan(), silentHost, [&] { views.flushLog(); });
    std::string resultError;
    if (!views.finish(end, resultError) && errors != nullptr) {
        std::fprintf(errors, "mirelith: the result file was not written: %s\n",
                     escapeForLine(resultError).c_str());
    }
    log.flush();
    return exitStatusFor(end.outcome);
}
