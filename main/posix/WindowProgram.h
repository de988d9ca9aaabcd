#pragma once
// How `mirelith` hands an interactive run over to its window's program, `mirelith-gui`, so that
// `mirelith` itself (what a till runs, the file the Ansible role copies, the base package) needs
// no Qt and no X library, and a silent run loads none.
#include <string>

// Replaces this process with the window's program, given the same arguments: the first
// executable file of that name beside this program, then in the directories the build installs
// it to; a run as root takes only one that no other user could have put there. Returns only when
// there is none or it could not be started, with the line that says so and how to get it.
std::string handOverToWindowProgram(char** argv);
