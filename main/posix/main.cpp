// Linux entry point: the same start-up as on Windows over the POSIX platform services. A silent
// run is hosted in a headless event loop; an interactive one is not available here.
#include "app/EventLog.h"
#include "app/FirmwareApp.h"
#include "app/InteractiveUnavailableRunner.h"
#include "download/MainDialogSilentHost.h"
#include "download/PrinterQueueRedirector.h"
#include "platform/EventLoop.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "ports/UsbDiscovery.h"

#include <cstdio>
#include <optional>

int main(int argc, char** argv) {
    EventLog& log = EventLog::instance();
    std::optional<SocketLayer> sockets;
    FirmwareApp app({systemEnvironment(), systemFileSystem(), systemDesktop(), log,
                     [&] { return sockets.emplace().status(); },
                     [](int32_t modelCode) { return findUsbPrinterPort(modelCode); },
                     std::vector<std::string>(argv, argv + argc)});

    PortDriver port;
    NetPort socket;
    PrinterQueueRedirector queues;
    MainDialogSilentHost silentHost(
        {port, socket, queues, log, systemClock(), makeSilentEventLoop, [&] { log.flush(); }},
        app.exitStatus);
    InteractiveUnavailableRunner runner(silentHost, app.exitStatus, [](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
    });
    app.initInstance(runner);
    return app.exitInstance();
}
