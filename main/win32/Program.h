#pragma once
// The Windows program, shared by its two entry points: mirelith.exe (GUI subsystem: no console,
// the caller's command line returns at once) and mirelith.com (console subsystem: cmd and
// PowerShell wait for it, it writes the terminal lines of the Linux program and its exit status
// reaches the caller). Both run the same start-up, engine and views.
#include <string>
#include <vector>

enum class ProgramFace { Window, Console };

// arguments: the program first, as the C runtime split the command line.
int runProgram(const std::vector<std::string>& arguments, ProgramFace face);
