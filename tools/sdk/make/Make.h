// make.exe: reads a makefile, decides by file times what is out of date and runs the commands
// that bring it up to date, reporting each command to the IDE's output window when it is there.
#pragma once

#include <map>
#include <string>
#include <vector>

// One target with everything the makefile said about it. Several rule lines may name the same
// target: their prerequisites add up, the commands are those of the last line that had some.
struct Target {
    std::string name;
    std::vector<std::string> prereqs;
    std::vector<std::string> commands;   // as written; macros are expanded when they run
    int line = 0;
    // While making: 0 not visited, 1 being made (a cycle when met again), 2 done.
    int state = 0;
    bool remade = false;            // its commands ran (or would run, with -n and -q)
    unsigned long long time = 0;    // file time after making; 0 when there is no file
};

// What a makefile holds once read. Rule lines keep their text until the whole file is read,
// since their macros may be defined further down.
struct RuleLine {
    std::string targets, prereqs;
    std::vector<std::string> commands;
    int line;
};

struct Makefile {
    std::string fileName;
    std::map<std::string, std::string> macros;      // from the file
    std::map<std::string, std::string> overrides;   // NAME=value on the command line
    std::vector<RuleLine> ruleLines;
    std::vector<Target> targets;                    // in order of first appearance
    std::map<std::string, size_t> index;            // lower-cased name -> targets[]
    std::string defaultTarget;                      // first target not starting with "."
    std::string error;                              // first error met, "" when none
};

// The automatic macros of the command being run.
struct AutoMacros {
    const Target *target = nullptr;
};

// Reads the makefile's text (lines end with "\n" or "\r\n"); false with `mf->error` set on a
// syntax error or a macro that refers to itself.
bool ReadMakefile(const std::string &text, Makefile *mf);
// Expands the macros of `text`; on a macro referring to itself sets `mf->error`.
std::string Expand(const std::string &text, Makefile *mf, const AutoMacros *autos = nullptr);
// The target of that name (compared without regard to case, as Windows file names), or null.
Target *FindTarget(Makefile *mf, const std::string &name);

// The progress channel to the IDE: the shared block "kelto" and its output window.
void OpenProgress();
// Sends one text (in pieces of at most 1023 bytes); true when the IDE answers "stop".
bool SendProgress(const std::string &text);
