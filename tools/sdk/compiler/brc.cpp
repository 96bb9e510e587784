// brc, the resource compiler of the compiler system: "brc [-I<dir>...] [-D<def>...] script.rc"
// compiles the resource script to "<script's base name>.res" in the current directory (the name
// the makefile's rule expects), with the host's MinGW-w64 windres doing the work. Its errors come
// back in the IDE's form, "Error <file>: <line>  <text>".
#include "CcService.h"

#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char **argv) {
    UseBinaryOutput();
    HostCommand c;
    std::string script;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if ((a == "-I" || a == "-D") && i + 1 < argc)
            a += argv[++i];
        if (a.empty())
            continue;
        if (a.compare(0, 2, "-I") == 0 && a.size() > 2) {
            c.Text("-I");
            c.Path(a.substr(2));
        } else if (a.compare(0, 2, "-D") == 0 && a.size() > 2) {
            c.Text("-D");
            c.Text(a.substr(2));
        } else if (a[0] == '-') {
            fprintf(stderr, "brc: unknown option %s\n", a.c_str());
            return 2;
        } else if (script.empty()) {
            script = a;
        } else {
            fprintf(stderr, "brc: one resource script at a time (%s)\n", a.c_str());
            return 2;
        }
    }
    if (script.empty()) {
        fprintf(stderr, "brc: usage: brc [-Idir] [-Ddef] script.rc\n");
        return 2;
    }
    if (!FileReadable(script)) {
        fprintf(stderr, "Error %s: 1  cannot read the resource script\n", script.c_str());
        return 1;
    }
    std::string output = OutputName(script, ".res");
    DeleteFileA(output.c_str());   // a failed compilation leaves no old .res behind
    c.Text("-i");
    c.Path(script);
    c.Text("-O");
    c.Text("coff");
    c.Text("-o");
    c.Path(output);
    HostResult r;
    if (!RunHost("windres", c, &r))
        return 2;
    fputs(r.out.c_str(), stdout);
    // windres puts its own name before its messages: the file comes first in the IDE's form.
    std::string prefix = HostProgram("windres") + ": ";
    for (std::string line : SplitLines(r.err)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            line.erase(0, prefix.size());
        fprintf(stderr, "%s\n", ConvertDiagnostic(r, line, true).c_str());
    }
    return r.exitCode;
}
