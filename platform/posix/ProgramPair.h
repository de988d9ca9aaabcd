#pragma once
// The Linux program comes as two files side by side: `mirelith`, which has no window (what a
// till runs), and `mirelith-gui`, which holds the window and takes an interactive run over from
// `mirelith` by exec: the same process goes on in the other file.
#include <string>

inline constexpr const char* kProgramFileName = "mirelith";
inline constexpr const char* kWindowProgramFileName = "mirelith-gui";

// Whether a process running programFile is a run of this program, which runs thisProgram (both
// absolute paths): the same file, or the other of the two in the same directory. A window's
// download must not have its queues given back by a silent run started meanwhile, nor the
// other way round.
bool isSameProgram(const std::string& thisProgram, const std::string& programFile);
