// make.exe [-f makefile] [-q] [-n] [-s] [NAME=value...] [target...]
//
// Makes the named targets (default: the makefile's first) by running the commands of every
// target that is missing or older than one of its prerequisites, prerequisites first. Exit
// codes: 0 done (or, with -q, up to date), 1 a command failed or the IDE asked to stop,
// 2 an error in the makefile or the command line, 199 (-q only) not up to date.
#include "Make.h"
#include "TextLines.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

const int kNotUpToDate = 199;

enum Result { kOk, kFailed, kStopped, kError };

struct Options {
    bool question = false;   // -q: run nothing, say by the exit code whether all is up to date
    bool dryRun = false;     // -n: print the commands without running them
    bool silent = false;     // -s: do not print the commands
};

Options g_options;
bool g_wouldRun = false;   // -q: some target is out of date

unsigned long long Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (unsigned long long)now.dwHighDateTime << 32 | now.dwLowDateTime;
}

// The file's last write time, or 0 when there is no such file.
unsigned long long FileTime(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    unsigned long long t = (unsigned long long)data.ftLastWriteTime.dwHighDateTime << 32 |
                           data.ftLastWriteTime.dwLowDateTime;
    return t ? t : 1;
}

// Runs one command line as written, with make's own standard handles; false when it cannot
// be started. Waits for the child without a limit: the child is the work.
bool Run(const std::string &command, DWORD *exitCode) {
    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::vector<char> line(command.begin(), command.end());   // CreateProcess may write to it
    line.push_back('\0');
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    if (!GetExitCodeProcess(pi.hProcess, exitCode))
        *exitCode = 1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// Prints a line on the standard output and sends it to the IDE; true when the IDE says stop.
bool Report(const std::string &text, bool print) {
    if (print) {
        printf("%s\n", text.c_str());
        fflush(stdout);
    }
    return SendProgress(text + "\n");
}

Result RunCommands(Makefile *mf, Target *t) {
    AutoMacros autos;
    autos.target = t;
    for (const std::string &written : t->commands) {
        std::string command = Expand(written, mf, &autos);
        if (!mf->error.empty()) {
            fprintf(stderr, "%s\n", mf->error.c_str());
            return kError;
        }
        // "@" does not print the command, "-" goes on when it fails.
        bool quiet = false, ignoreError = false;
        size_t start = 0;
        while (start < command.size() && strchr("@- \t", command[start])) {
            quiet |= command[start] == '@';
            ignoreError |= command[start] == '-';
            start++;
        }
        command.erase(0, start);
        if (command.empty())
            continue;
        if (g_options.dryRun) {
            if (Report(command, true))
                return kStopped;
            continue;
        }
        if (!quiet && Report(command, !g_options.silent))
            return kStopped;
        DWORD code = 0;
        if (!Run(command, &code)) {
            fprintf(stderr, "make: cannot run \"%s\" (error %lu)\n", command.c_str(),
                    (unsigned long)GetLastError());
            code = 1;
        }
        if (code != 0 && !ignoreError) {
            fprintf(stderr, "make: %s: the command exited with code %lu\n", t->name.c_str(),
                    (unsigned long)code);
            return kFailed;
        }
    }
    return kOk;
}

Result Make(Makefile *mf, Target *t) {
    if (t->state == 2)
        return kOk;
    if (t->state == 1) {
        fprintf(stderr, "make: %s depends on itself\n", t->name.c_str());
        return kError;
    }
    t->state = 1;
    unsigned long long own = FileTime(t->name);
    bool outOfDate = own == 0;
    bool prereqRemade = false;
    for (const std::string &name : t->prereqs) {
        unsigned long long time;
        Target *p = FindTarget(mf, name);
        if (p) {
            Result r = Make(mf, p);
            if (r != kOk)
                return r;
            prereqRemade |= p->remade;
            time = p->time;
        } else {
            time = FileTime(name);
            if (time == 0) {
                fprintf(stderr, "make: don't know how to make %s\n", name.c_str());
                return kError;
            }
        }
        if (time > own)
            outOfDate = true;
    }
    outOfDate |= prereqRemade;
    t->state = 2;
    t->time = own;
    if (!outOfDate)
        return kOk;
    if (t->commands.empty()) {
        t->remade = prereqRemade;   // a name for a group of targets passes their news on
        return kOk;
    }
    t->remade = true;
    if (g_options.question) {
        g_wouldRun = true;
        t->time = Now();
        return kOk;
    }
    Result r = RunCommands(mf, t);
    unsigned long long after = FileTime(t->name);
    t->time = after ? after : Now();   // no file (yet, with -n): newer than anything
    return r;
}

int Usage(const char *problem) {
    fprintf(stderr, "make: %s\nusage: make [-f makefile] [-q] [-n] [-s] [NAME=value...] "
                    "[target...]\n", problem);
    return 2;
}

// The children write to make's standard handles, so those must be inheritable.
void InheritStandardHandles() {
    DWORD which[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (DWORD w : which) {
        HANDLE h = GetStdHandle(w);
        if (h && h != INVALID_HANDLE_VALUE)
            SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
}

}  // namespace

int main(int argc, char **argv) {
    Makefile mf;
    mf.fileName = "Makefile";
    std::vector<std::string> goals;
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        if (arg[0] == '-' && arg[1]) {
            for (const char *c = arg + 1; *c; c++) {
                if (*c == 'q') {
                    g_options.question = true;
                } else if (*c == 'n') {
                    g_options.dryRun = true;
                } else if (*c == 's') {
                    g_options.silent = true;
                } else if (*c == 'f') {
                    if (c[1])
                        mf.fileName = c + 1;
                    else if (i + 1 < argc)
                        mf.fileName = argv[++i];
                    else
                        return Usage("-f needs the name of a makefile");
                    break;
                } else {
                    std::string problem = std::string("unknown option -") + *c;
                    return Usage(problem.c_str());
                }
            }
        } else if (strchr(arg, '=') && strchr(arg, '=') != arg) {
            const char *equals = strchr(arg, '=');
            mf.overrides[std::string(arg, equals - arg)] = equals + 1;
        } else {
            goals.push_back(arg);
        }
    }

    std::string text;
    if (!ReadWholeFile(mf.fileName, &text)) {
        fprintf(stderr, "make: cannot read the makefile %s\n", mf.fileName.c_str());
        return 2;
    }
    if (!ReadMakefile(text, &mf)) {
        fprintf(stderr, "%s\n", mf.error.c_str());
        return 2;
    }
    if (goals.empty()) {
        if (mf.defaultTarget.empty()) {
            fprintf(stderr, "make: %s has no target\n", mf.fileName.c_str());
            return 2;
        }
        goals.push_back(mf.defaultTarget);
    }

    InheritStandardHandles();
    if (!g_options.question)
        OpenProgress();
    for (const std::string &goal : goals) {
        Target *t = FindTarget(&mf, goal);
        Result r = kOk;
        if (t) {
            r = Make(&mf, t);
        } else if (FileTime(goal) == 0) {
            fprintf(stderr, "make: don't know how to make %s\n", goal.c_str());
            r = kError;
        }
        if (r == kStopped)
            fprintf(stderr, "make: stopped\n");
        if (r != kOk)
            return r == kError ? 2 : 1;
        if (g_options.question)
            continue;
        if ((!t || !t->remade) && Report("make: " + goal + " is up to date", true)) {
            fprintf(stderr, "make: stopped\n");
            return 1;
        }
    }
    if (g_options.question && g_wouldRun)
        return kNotUpToDate;
    return 0;
}
