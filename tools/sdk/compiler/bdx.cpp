// bdx.exe, the compiler driver of the compiler system. It compiles C (and assembler) sources
// to COFF objects and lists the files a source includes, with the host's MinGW-w64 gcc doing
// the work through the compiler service; see tools/sdk/README.md for the options.
//
//   bdx.exe -c [options] source...          -> <source's base name>.obj in the current directory
//   bdx.exe -M -Fo<file> [options] source   -> <file>: one included file per line
//
// gcc's diagnostics come back in the form the IDE reads: "Error <file>: <line>  <text>" and
// "Warning <file>: <line>  <text>", with the file named as the user named it.
#include "CcService.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    bool dependencies = false;   // -M
    bool assembly = false;       // -S
    std::string outputFile;      // -Fo<file>
    HostCommand gccOptions;      // the options every run of gcc gets
    std::vector<std::string> sources;
};

bool EndsWithNoCase(const std::string &s, const char *tail) {
    size_t n = strlen(tail);
    return s.size() >= n && _stricmp(s.c_str() + s.size() - n, tail) == 0;
}


// Reads the command line; false (with a message) on a wrong option.
bool ParseArguments(int argc, char **argv, Options *o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if ((a == "-I" || a == "-D") && i + 1 < argc)
            a += argv[++i];   // "-I dir" as "-Idir"
        if (a.empty())
            continue;
        if (a[0] != '-') {
            o->sources.push_back(a);
        } else if (a == "-c" || a == "-x" || a == "-z") {
            // -c is the default work; browse information (-x) and the intermediate language
            // file (-z) have no counterpart in the host compiler.
        } else if (a == "-M") {
            o->dependencies = true;
        } else if (a.compare(0, 3, "-Fo") == 0 && a.size() > 3) {
            o->outputFile = a.substr(3);
        } else if (a.compare(0, 2, "-I") == 0 && a.size() > 2) {
            o->gccOptions.OptionPath("-I", a.substr(2));
        } else if (a.compare(0, 2, "-D") == 0 && a.size() > 2) {
            o->gccOptions.Text(a);
        } else if (a == "-O") {
            o->gccOptions.Text("-O2");
        } else if (a == "-g2" || a == "-g3" || a == "-g4") {
            o->gccOptions.Text("-gdwarf-4");
            o->gccOptions.Text("-fno-omit-frame-pointer");
        } else if (a == "-S") {
            o->assembly = true;
        } else if (a == "-A") {
            o->gccOptions.Text("-Wall");
        } else if (a == "-Zp1" || a == "-Zp2" || a == "-Zp4" || a == "-Zp8" || a == "-Zp16") {
            o->gccOptions.Text("-fpack-struct=" + a.substr(3));
        } else if (a == "-p6") {
#ifndef _WIN64
            o->gccOptions.Text("-march=pentiumpro");
#endif
        } else {
            fprintf(stderr, "bdx: unknown option %s\n", a.c_str());
            return false;
        }
    }
    if (o->sources.empty()) {
        fprintf(stderr, "bdx: no source file given\n");
        return false;
    }
    if (o->dependencies && o->sources.size() > 1 && !o->outputFile.empty()) {
        fprintf(stderr, "bdx: -M -Fo takes one source\n");
        return false;
    }
    return true;
}




bool CheckSource(const std::string &source) {
    if (FileReadable(source))
        return true;
    fprintf(stderr, "Error %s: cannot read the source file\n", source.c_str());
    return false;
}

void AddSource(HostCommand *c, const std::string &source) {
    if (EndsWithNoCase(source, ".asm")) {
        c->Text("-x");
        c->Text("assembler-with-cpp");
    } else {
        c->Text("-x");   // a C source whatever its extension (gcc takes ".C" for C++)
        c->Text("c");
    }
    c->Path(source);
}

HostCommand BaseCommand(const Options &o) {
    HostCommand c;
    c.Text("-fno-diagnostics-show-caret");
    c.Text("-fdiagnostics-color=never");
    c.items.insert(c.items.end(), o.gccOptions.items.begin(), o.gccOptions.items.end());
    return c;
}

int Compile(const Options &o, const std::string &source) {
    if (!CheckSource(source))
        return 1;
    HostCommand c = BaseCommand(o);
    c.Text("-c");
    AddSource(&c, source);
    c.Text("-o");
    c.Path(!o.outputFile.empty() && o.sources.size() == 1 ? o.outputFile : OutputName(source, ".obj"));
    HostResult r;
    if (!RunHost("gcc", c, &r))
        return 2;
    ReportOutput(r);
    if (r.exitCode != 0 || !o.assembly || EndsWithNoCase(source, ".asm"))
        return r.exitCode;
    HostCommand s = BaseCommand(o);
    s.Text("-S");
    AddSource(&s, source);
    s.Text("-o");
    s.Path(OutputName(source, ".asm"));
    if (!RunHost("gcc", s, &r))
        return 2;
    ReportOutput(r);
    return r.exitCode;
}

// The prerequisites of gcc's make rule "x: a b \<newline> c", unescaped.
std::vector<std::string> RulePrerequisites(const std::string &rule) {
    std::vector<std::string> names;
    size_t start = rule.find(": ");
    if (start == std::string::npos)
        return names;
    std::string name;
    for (size_t i = start + 2; i <= rule.size(); i++) {
        char c = i < rule.size() ? rule[i] : ' ';
        if (c == '\\' && i + 1 < rule.size() && (rule[i + 1] == ' ' || rule[i + 1] == '#')) {
            name += rule[++i];
        } else if (c == '\\' && i + 1 < rule.size() && (rule[i + 1] == '\n' || rule[i + 1] == '\r')) {
            continue;
        } else if (c == '$' && i + 1 < rule.size() && rule[i + 1] == '$') {
            name += rule[++i];
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (!name.empty())
                names.push_back(name);
            name.clear();
        } else {
            name += c;
        }
    }
    return names;
}

int ListDependencies(const Options &o, const std::string &source) {
    if (!CheckSource(source))
        return 1;
    HostCommand c = BaseCommand(o);
    c.Text("-MM");
    c.Text("-MT");
    c.Text("x");
    AddSource(&c, source);
    HostResult r;
    if (!RunHost("gcc", c, &r))
        return 2;
    if (r.exitCode != 0) {
        ReportOutput(r);
        return r.exitCode;
    }
    std::string list;
    std::vector<std::string> names = RulePrerequisites(r.out);
    for (size_t i = 1; i < names.size(); i++)   // the first is the source itself
        list += r.WindowsPath(names[i]) + "\n";
    if (o.outputFile.empty()) {
        fputs(list.c_str(), stdout);
        return 0;
    }
    FILE *f = fopen(o.outputFile.c_str(), "wb");
    if (!f || fwrite(list.data(), 1, list.size(), f) != list.size() || fclose(f) != 0) {
        fprintf(stderr, "bdx: cannot write %s\n", o.outputFile.c_str());
        return 1;
    }
    return 0;
}

}   // namespace

int main(int argc, char **argv) {
    UseBinaryOutput();
    Options o;
    if (!ParseArguments(argc, argv, &o))
        return 2;
    int result = 0;
    for (const std::string &source : o.sources) {
        int code = o.dependencies ? ListDependencies(o, source) : Compile(o, source);
        if (code > result)
            result = code;
        if (code == 2)
            break;
    }
    return result;
}
