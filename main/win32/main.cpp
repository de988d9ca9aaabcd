// mirelith.exe: a GUI-subsystem program whose arguments come from the C runtime's split of the
// command line (quoted arguments kept whole). An interactive run gets the main window; a silent
// run is hosted by a hidden window that drives the same engine.
#include "main/win32/Program.h"

#include <cstdlib>
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return runProgram(std::vector<std::string>(__argv, __argv + __argc), ProgramFace::Window);
}
