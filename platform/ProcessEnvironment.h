#pragma once
// What start-up and the event log need to know about the running process: where the program
// file is, which directory it was started in, where its log belongs and the local time.
#include <cstdint>
#include <string>

struct LocalDateTime {
    int32_t year = 0;
    int32_t month = 0; // 1..12
    int32_t day = 0;   // 1..31
    int32_t hour = 0;  // 0..23
    int32_t minute = 0;
    int32_t second = 0;

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

class ProcessEnvironment {
  public:
    virtual ~ProcessEnvironment() = default;
    // Full path of the program file.
    virtual std::string programFilePath() = 0;
    // The process's current directory, as the platform spells it.
    virtual std::string currentDirectory() = 0;
    // The directory that receives the log file: the program file's directory, or, for a program
    // installed in a system directory or one it may not write (Linux), the user's state
    // directory for us (root: /var/log/mirelith).
    virtual std::string logDirectory() = 0;
    virtual LocalDateTime localTime() = 0;
};

// The real process environment.
ProcessEnvironment& systemEnvironment();

// The separator used to join a directory and a name: '\' on Windows, '/' elsewhere.
char pathSeparator();
