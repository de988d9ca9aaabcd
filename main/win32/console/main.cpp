// mirelith.com: the console twin of mirelith.exe. Installed beside it, it is what "mirelith"
// typed into cmd or PowerShell runs (.COM comes before .EXE in PATHEXT): the caller waits for
// the run, sees its terminal lines and gets its exit status.
#include "main/win32/Program.h"

int main(int argc, char** argv) {
    return runProgram(std::vector<std::string>(argv, argv + argc), ProgramFace::Console);
}
