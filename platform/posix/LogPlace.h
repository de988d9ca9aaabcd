#pragma once
// Where the log goes on Linux. A program run from where it was built keeps its log beside
// itself, as on Windows. An installed one (in a system program directory such as /usr/bin, or
// in any directory it may not write) never does, root included: a package manager owns those
// directories. It logs to the user's state directory instead, or /var/log/mirelith for root, who
// also goes there from a directory that another user could write.
#include <string>

// Whether programDirectory is one of the directories installed programs live in: /bin, /sbin,
// /usr/bin, /usr/local/bin, /usr/games, /opt/<name>/bin and their like.
bool isSystemProgramDirectory(const std::string& programDirectory);

// stateDirectory: $XDG_STATE_HOME/mirelith or ~/.local/state/mirelith, "" when neither can be
// formed; the program directory then stays the only choice. ownedByRootAlone: the program
// directory belongs to root and neither its group nor anyone else may write it. A root run keeps
// its log and journals beside the program only then: in a directory another user can write, a
// link or a journal planted there would steer what root writes and which queues it changes.
std::string chooseLogDirectory(const std::string& programDirectory, bool programDirectoryWritable,
                               bool runAsRoot, const std::string& stateDirectory,
                               bool ownedByRootAlone);
