// Windows entry point: a GUI-subsystem program whose arguments come from the C runtime's
// split of the command line (quoted arguments kept whole). An interactive run gets the main
// window; a silent run is hosted by a hidden window that drives the same engine.
#include "app/EventLog.h"
#include "app/FirmwareApp.h"
#include "download/MainDialogSilentHost.h"
#include "download/PrinterQueueRedirector.h"
#include "platform/EventLoop.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "ports/UsbDiscovery.h"
#include "ui/UsbPrinterList.h"
#include "ui/win32/InteractiveRunner.h"

#include <optional>
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    EventLog& log = EventLog::instance();
    std::optional<SocketLayer> sockets;
    FirmwareApp app({systemEnvironment(), systemFileSystem(), systemDesktop(), log,
                     [&] { return sockets.emplace().status(); },
                     [](int32_t modelCode) { return findUsbPrinterPort(modelCode); },
                     std::vector<std::string>(__argv, __argv + __argc)});

    PortDriver port;
    NetPort socket;
    PrinterQueueRedirector queues;
    SystemUsbPrinterSource usbPrinters;
    MainDialogSilentHost silentHost(
        {port, socket, queues, log, systemClock(), makeSilentEventLoop, [&] { log.flush(); }},
        app.exitStatus);
    InteractiveRunner runner({port, socket, queues, log, systemClock(), usbPrinters}, silentHost,
                             app.exitStatus);
    app.initInstance(runner);
    return app.exitInstance();
}
