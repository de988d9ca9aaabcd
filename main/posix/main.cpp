// The Linux program without a window: silent runs, --identify, --list and the rest. An
// interactive run is handed over to the window's program, mirelith-gui, with the same
// arguments; where it is not installed, one line says how to get it (exit status 4). So the
// program a till runs and the Ansible role copies needs no Qt and no X library, and a silent
// run loads none of them.
#include "app/ExitStatus.h"
#include "main/posix/LinuxProgram.h"
#include "main/posix/WindowProgram.h"

int main(int argc, char** argv) {
    std::string noWindow;
    LinuxProgram program;
    program.handOver = [&] { noWindow = handOverToWindowProgram(argv); };
    program.runWindow = [&](const WindowRun& run) {
        run.printLine(noWindow);
        return static_cast<int>(kExitNoGraphicalMode);
    };
    return runLinuxProgram(argc, argv, program);
}
