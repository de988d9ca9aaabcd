#pragma once
// Where the Windows program keeps its log and its queue journals. A program run from a folder
// its user may write (a copy unpacked from the zip, a build directory) keeps them beside itself,
// as it always has. An installed one (Program Files, which only administrators may write) would
// lose every line there, so its files go to the user's own local application data instead, in
// a folder of ours that is made when the first line is written. Kept free of Windows calls so
// the rule is tested on every build.
#include <string>

// The folder made under the local application data for the log and journals.
inline constexpr const char* kPerUserFolderName = "Mirelith";

// programDirectory: the program file's directory, without a trailing backslash ("" when it
// could not be found). localAppData: the user's local application data folder
// ("C:\Users\ann\AppData\Local"), "" when the system does not say; the program directory then
// stays the only choice.
std::string chooseWindowsLogDirectory(const std::string& programDirectory,
                                      bool programDirectoryWritable,
                                      const std::string& localAppData);
