// Windows entry point: a GUI-subsystem program whose arguments come from the C runtime's
// split of the command line (quoted arguments kept whole). An interactive run gets the main
// window; a silent run is hosted by a hidden window that drives the same engine.
#include "app/EventLog.h"
#include "app/FirmwareApp.h"
#include "app/ToolOptions.h"
#include "download/MainDialogSilentHost.h"
#include "download/PrinterQueueRedirector.h"
#include "download/QueueJournalReplay.h"
#include "download/SilentRunViews.h"
#include "main/BuildInfo.h"
#include "platform/EventLoop.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "ports/UsbDiscovery.h"
#include "ui/UsbPrinterList.h"
#include "ui/win32/InteractiveRunner.h"

#include <optional>
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // "--result FILE" is put aside before start-up reads the rest; the other options of the
    // Linux program are for a terminal, which this one does not have.
    const ToolOptions options = takeToolOptions(std::vector<std::string>(__argv, __argv + __argc),
                                                ToolOptionSet::ResultOnly);
    EventLog& log = EventLog::instance();
    // Queues that an ended run left moved aside are given back before this run does anything.
    restoreQueuesOfEndedRuns(log);

    std::optional<SocketLayer> sockets;
    FirmwareApp app({systemEnvironment(), systemFileSystem(), systemDesktop(), log,
                     [&] { return sockets.emplace().status(); },
                     [](int32_t modelCode) { return findUsbPrinterPort(modelCode); },
                     options.arguments});
    SilentRunViews views(
        {kProgramVersion, options.resultPath, nullptr, {}, options.arguments.size() > 1}, app, log,
        systemFileSystem(), systemClock());

    PortDriver port;
    NetPort socket;
    PrinterQueueRedirector queues(log.directory());
    SystemUsbPrinterSource usbPrinters;
    MainDialogSilentHost silentHost(
        {port, socket, queues, log, systemClock(), makeSilentEventLoop, [&] { views.flushLog(); }},
        app.exitStatus);
    silentHost.setRunObserver(views.observer());
    InteractiveRunner runner({port, socket, queues, log, systemClock(), usbPrinters}, silentHost,
                             app.exitStatus);
    app.initInstance(runner);
    // A result file that cannot be written has no one to tell here: its absence says it.
    std::string resultError;
    views.finish(app.exitStatus, resultError);
    return app.exitInstance();
}
