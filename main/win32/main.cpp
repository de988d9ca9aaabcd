// Windows entry point: a GUI-subsystem program whose arguments come from the C runtime's
// split of the command line (quoted arguments kept whole).
#include "app/ConsoleRunner.h"
#include "app/EventLog.h"
#include "app/FirmwareApp.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    EventLog& log = EventLog::instance();
    std::optional<SocketLayer> sockets;
    FirmwareApp app({systemEnvironment(), systemFileSystem(), systemDesktop(), log,
                     [&] { return sockets.emplace().status(); },
                     [](int32_t) { return std::string(); }, // USB discovery not wired in yet
                     std::vector<std::string>(__argv, __argv + __argc)});

    // Until the main window is wired in, the decision is printed (visible when started from a
    // console or under Wine).
    ConsoleRunner runner(log, app.exitStatus, [](const std::string& line) {
        std::fputs((line + "\n").c_str(), stdout);
        std::fflush(stdout);
    });
    app.initInstance(runner);
    return app.exitInstance();
}
