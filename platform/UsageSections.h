#pragma once
// The parts of "--help" that depend on the system the program runs on: whether it can list its
// devices, how ports are named, which environment variables it reads and what interrupts a
// run. The rest of the help is the same everywhere (app/UsageText).
struct UsageSections {
    const char* otherForms; // the usage line's second form: "mirelith --list | --help | --version"
    const char* listOption; // the "--list" option's lines, "" where there is none
    const char* ports;      // "Ports (-p, PORTTYPE):" and its lines
    const char*
        systemNotes; // "Environment:" (Linux), "Where the log is:" (Windows) and their lines
    const char* interrupted; // the exit status 3 line, "" where nothing interrupts a run
};

const UsageSections& usageSections();
