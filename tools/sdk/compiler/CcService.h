// The Windows side of the compiler service: the tools of the compiler system (bdx.exe, bdxlnk,
// bdxlib) describe a run of a host MinGW-w64 program as a list of arguments, some of them
// Windows paths, and get back its output, its exit code and the pairs that turn the Unix
// paths in that output back into the Windows paths they were given.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "TextLines.h"

struct HostCommand {
    enum Kind { kText = 0, kPath = 1, kGlued = 2 };
    struct Item {
        Kind kind;
        std::string text;
    };
    std::vector<Item> items;

    void Text(const std::string &text) { items.push_back({kText, text}); }
    void Path(const std::string &path) { items.push_back({kPath, path}); }
    // An option with a path glued to it, as "-I<dir>".
    void OptionPath(const std::string &option, const std::string &path) {
        items.push_back({kGlued, option});
        Path(path);
    }
};

struct HostResult {
    int exitCode = 2;
    std::string out, err;
    std::vector<std::pair<std::string, std::string>> pairs;   // Unix prefix, Windows prefix

    // A path in the program's output as the user knows it: under a path the tool gave,
    // spelled as given; else on the Wine drive that holds it.
    std::string WindowsPath(const std::string &unixPath) const;
};

// "i686-w64-mingw32-<tool>" (x86_64 in the 64-bit build).
std::string HostProgram(const char *tool);

// Runs the host program `tool` ("gcc", "ar") with the arguments in the current directory.
// False when the service cannot be reached: then "cannot reach the compiler service on
// 127.0.0.1:<port>" has been written to standard error.
bool RunHost(const char *tool, const HostCommand &command, HostResult *result);

// Lines written to standard output and error end with a line feed alone, as the IDE's reading
// of the error file expects; every tool calls this first.
void UseBinaryOutput();
// True when a file (not a directory) of that name can be opened for reading.
bool FileReadable(const std::string &path);
// The compiler root: the parent of the directory that holds the running program.
std::string CompilerRoot();
// The source's last path component with the text from its last "." replaced by `extension`
// (appended when it has no "."), lower-cased: where a tool writes its output.
std::string OutputName(const std::string &source, const char *extension);
// One line of the host tool's standard error in the IDE's form ("Error <file>: <line>  <text>",
// "Warning ..."), with the file as the user named it; with `plainIsError`, a "<file>:<line>:
// <text>" line without a kind is an error too (windres).
std::string ConvertDiagnostic(const HostResult &r, const std::string &line, bool plainIsError = false);
// The program's standard output, and its standard error converted line by line.
void ReportOutput(const HostResult &r, bool plainIsError = false);
