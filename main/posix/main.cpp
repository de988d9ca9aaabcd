// Linux entry point: the same start-up as on Windows over the POSIX platform services.
#include "app/ConsoleRunner.h"
#include "app/EventLog.h"
#include "app/FirmwareApp.h"
#include "app/InteractiveUnavailableRunner.h"

#include <cstdio>
#include <optional>

int main(int argc, char** argv) {
    EventLog& log = EventLog::instance();
    std::optional<SocketLayer> sockets;
    FirmwareApp app({systemEnvironment(), systemFileSystem(), systemDesktop(), log,
                     [&] { return sockets.emplace().status(); },
                     [](int32_t) { return std::string(); }, // USB discovery not wired in yet
                     std::vector<std::string>(argv, argv + argc)});

    ConsoleRunner silentRunner(log, app.exitStatus,
                               [](const std::string& line) { std::puts(line.c_str()); });
    InteractiveUnavailableRunner runner(silentRunner, app.exitStatus, [](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
    });
    app.initInstance(runner);
    return app.exitInstance();
}
