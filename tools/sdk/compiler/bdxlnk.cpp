// bdxlnk, the linker of the compiler system: links COFF objects and libraries into an
// executable or a DLL with the host's MinGW-w64 gcc through the compiler service.
//
//   bdxlnk [-s] [-dll] [-entry sym] [-subsystem console|windows] [-map file] [-nounderscores]
//          -o out objs... libs...
#include "CcService.h"
#include "CodeView.h"
#include "TextLines.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool EndsWithNoCase(const std::string &s, const char *tail) {
    size_t n = strlen(tail);
    return s.size() >= n && _stricmp(s.c_str() + s.size() - n, tail) == 0;
}

// A library "NAME.LIB": the file itself when it exists as named or in the compiler root's
// lib directory (both hold archives gcc reads), else the host's library -lname (kernel32,
// user32... all come from the MinGW-w64 sysroot that way).
void AddLibrary(HostCommand *c, const std::string &library) {
    if (FileReadable(library)) {
        c->Path(library);
        return;
    }
    std::string inRoot = CompilerRoot() + "\\lib\\" + library;
    if (library.find_first_of("\\/:") == std::string::npos && FileReadable(inRoot)) {
        c->Path(inRoot);
        return;
    }
    size_t slash = library.find_last_of("\\/:");
    std::string name = library.substr(slash == std::string::npos ? 0 : slash + 1);
    name.erase(name.size() - 4);
    for (char &ch : name)
        ch = (char)tolower((unsigned char)ch);
    c->Text("-l" + name);
}

// A line of the linker's with its leading Unix path turned into the Windows one.
std::string WindowsLine(const HostResult &r, const std::string &line) {
    size_t colon = line.find(':');
    if (line.empty() || line[0] != '/' || colon == std::string::npos)
        return line;
    return r.WindowsPath(line.substr(0, colon)) + line.substr(colon);
}

void Report(const HostResult &r) {
    fputs(r.out.c_str(), stdout);
    for (std::string line : SplitLines(r.err)) {
        // "/usr/bin/i686-w64-mingw32-ld: main.obj:main.c:(.text+0x1b): undefined reference..."
        size_t ld = line.find("-ld: ");
        if (line.compare(0, 1, "/") == 0 && ld != std::string::npos && line.find(' ') > ld)
            line = "bdxlnk: " + WindowsLine(r, line.substr(ld + 5));
        else
            line = WindowsLine(r, line);
        if (line.compare(0, 10, "collect2: ") == 0)
            continue;
        fprintf(stderr, "%s\n", line.c_str());
    }
}

bool ReadBytes(const std::string &path, std::vector<uint8_t> *bytes) {
    std::string text;
    if (!ReadWholeFile(path, &text))
        return false;
    bytes->assign(text.begin(), text.end());
    return true;
}

// Puts `bytes` in place of the file through a temporary file beside it, so that the file is
// either the old one or the whole new one.
bool ReplaceWith(const std::string &path, const std::vector<uint8_t> &bytes, std::string *error) {
    size_t slash = path.find_last_of("\\/:");
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    char temp[MAX_PATH];
    if (GetTempFileNameA(dir.c_str(), "bdx", 0, temp) == 0) {
        *error = "cannot create a temporary file in " + dir;
        return false;
    }
    FILE *f = fopen(temp, "wb");
    bool written = f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && fclose(f) != 0)
        written = false;
    if (written && MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileA(temp);
    *error = written ? "cannot replace " + path : std::string("cannot write ") + temp;
    return false;
}

// The last step of every link. The executable gcc wrote is checked to be there and to be a
// PE file, so that a link that left nothing usable never counts as success. Then the
// compiler's DWARF debug information is converted into the CodeView the IDE's debugger reads
// (source paths in their Windows spelling). A conversion that fails leaves the program as
// linked, with one warning: it still runs, only without CodeView.
bool FinishExecutable(const std::string &output, const HostResult &r) {
    std::vector<uint8_t> image;
    bool ok = ReadBytes(output, &image) && image.size() >= 2 && image[0] == 'M' && image[1] == 'Z';
    if (!ok) {
        fprintf(stderr, "bdxlnk: %s was not written as an executable\n", output.c_str());
        return false;
    }
    std::vector<uint8_t> converted;
    std::string error;
    CodeViewResult result = AddCodeView(
        image, [&](const std::string &path) { return r.WindowsPath(path); }, &converted, &error);
    if (result == CodeViewResult::kNothing)
        return true;
    if (result == CodeViewResult::kAdded && ReplaceWith(output, converted, &error))
        return true;
    fprintf(stderr, "bdxlnk: warning: %s has no CodeView debug information: %s\n", output.c_str(), error.c_str());
    return true;
}

}   // namespace

int main(int argc, char **argv) {
    UseBinaryOutput();
    HostCommand c;
    std::string output;
    bool inputs = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "-s") {
            c.Text("-s");
        } else if (a == "-dll") {
            c.Text("-shared");
        } else if (a == "-entry" && hasValue) {
#ifdef _WIN64
            c.Text(std::string("-Wl,--entry=") + argv[++i]);
#else
            // The linker wants the symbol as the object holds it: C names with "_" in front.
            c.Text(std::string("-Wl,--entry=_") + argv[++i]);
#endif
        } else if (a == "-subsystem" && hasValue) {
            std::string kind = argv[++i];
            if (kind != "console" && kind != "windows") {
                fprintf(stderr, "bdxlnk: unknown subsystem %s\n", kind.c_str());
                return 2;
            }
            c.Text(kind == "console" ? "-mconsole" : "-mwindows");
        } else if (a == "-map" && hasValue) {
            c.OptionPath("-Wl,-Map=", argv[++i]);
        } else if (a == "-nounderscores") {
            // MinGW-w64's DLL exports carry no leading underscore already.
        } else if (a == "-o" && hasValue) {
            output = argv[++i];
        } else if (!a.empty() && a[0] == '-') {
            fprintf(stderr, "bdxlnk: unknown option %s\n", a.c_str());
            return 2;
        } else if (EndsWithNoCase(a, ".lib")) {
            AddLibrary(&c, a);
        } else if (!a.empty()) {
            if (!FileReadable(a)) {
                fprintf(stderr, "bdxlnk: cannot read %s\n", a.c_str());
                return 1;
            }
            c.Path(a);
            inputs = true;
        }
    }
    if (output.empty() || !inputs) {
        fprintf(stderr, "bdxlnk: usage: bdxlnk [options] -o output objects... libraries...\n");
        return 2;
    }
    DeleteFileA(output.c_str());   // a failed link must not leave the old executable behind
    c.Text("-o");
    c.Path(output);
    HostResult r;
    if (!RunHost("gcc", c, &r))
        return 2;
    Report(r);
    if (r.exitCode != 0)
        return r.exitCode;
    return FinishExecutable(output, r) ? 0 : 1;
}
