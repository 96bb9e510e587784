// Paths of the project: making names absolute, checking the directories a user typed, the
// default make record of a new project, and the short name the frame's title shows.
//
// Everything works on std::string, so a long directory is never cut or written past a buffer;
// the current directory is asked from the system each time, spelled as the system keeps it.
#include "project/Project.h"

#include <windows.h>
#include <ctype.h>
#include <string.h>
#include <strings.h>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "platform/Files.h"
#include "settings/Settings.h"
#include "settings/Store.h"
#include "ui/OutputWindow.h"

namespace {

enum { kNumberedMakeDirs = 8 };   // "bdx1" to "bdx8" after "bdx"

std::string CurrentDir() {
    DWORD need = GetCurrentDirectoryA(0, nullptr);
    if (need == 0)
        return std::string();
    std::string dir(need, '\0');
    DWORD n = GetCurrentDirectoryA(need, &dir[0]);
    dir.resize(n < need ? n : 0);
    return dir;
}

// The current directory of drive `letter` ("D:\WORK"), its root when it has none.
std::string DriveDirectory(char letter) {
    char drive[3] = {letter, ':', '\0'};
    DWORD need = GetFullPathNameA(drive, 0, nullptr, nullptr);
    if (need == 0)
        return std::string(drive) + "\\";
    std::string dir(need, '\0');
    DWORD n = GetFullPathNameA(drive, need, &dir[0], nullptr);
    dir.resize(n < need ? n : 0);
    return dir.empty() ? std::string(drive) + "\\" : dir;
}

// `dir` and `name` with one backslash between them.
std::string Join(const std::string &dir, const std::string &name) {
    if (name.empty())
        return dir;
    if (!dir.empty() && dir.back() == '\\')
        return dir + name;
    return dir + "\\" + name;
}

// The directory above `dir`; a drive's root ("C:\") and a share ("\\host\share") stay.
std::string Parent(const std::string &dir) {
    size_t slash = dir.find_last_of('\\');
    if (slash == std::string::npos || slash + 1 == dir.size())
        return dir;
    if (dir.compare(0, 2, "\\\\") == 0) {
        // \\host\share\a: the share's root has three backslashes.
        size_t count = 0;
        for (char c : dir)
            count += c == '\\';
        return count > 3 ? dir.substr(0, slash) : dir;
    }
    if (slash == 2 && dir[1] == ':')
        return dir.substr(0, 3);
    return dir.substr(0, slash);
}

bool HasDrive(const std::string &path) {
    return path.size() >= 2 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

std::string Trimmed(const std::string &text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The compiler's include path as registered, else the one below the compiler root.
std::string CompilerIncludePath() {
    SettingsStore *store = CurrentStore();
    StoreKey key = store->Open(nullptr, "Software\\bdx\\Compiler", false, nullptr);
    if (key) {
        SettingBuffer path = "";
        long result = store->Query(key, "includepath", path, sizeof path);
        store->Close(key);
        if (result == kStoreOk && path[0])
            return path;
    }
    return std::string(g_app ? g_app->compilerRoot : "") + "\\include";
}

bool EndsWithNoCase(const std::string &text, const char *tail) {
    size_t n = strlen(tail);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, tail) == 0;
}

} // namespace

std::string MakeFullPath(const std::string &path) {
    if (path.empty())
        return path;
    // "d:x": drive d's current directory.
    if (HasDrive(path) && (path.size() == 2 || path[2] != '\\'))
        return Join(DriveDirectory(path[0]), path.substr(2));
    // "\x": the current drive ("\\host\share" is complete already).
    if (path[0] == '\\') {
        std::string cwd = CurrentDir();
        if (path.size() > 1 && path[1] == '\\')
            return path;
        return HasDrive(cwd) ? cwd.substr(0, 2) + path : path;
    }
    // Leading ".\" and "..\" (and a lone "." or "..") are taken from the current directory.
    // Whatever follows them is below it, with or without backslashes.
    if (path[0] == '.') {
        std::string dir = CurrentDir();
        size_t at = 0;
        for (;;) {
            if (path.compare(at, 2, ".\\") == 0) {
                at += 2;
            } else if (path.compare(at, 3, "..\\") == 0) {
                dir = Parent(dir);
                at += 3;
            } else if (path.compare(at, std::string::npos, ".") == 0) {
                at += 1;
            } else if (path.compare(at, std::string::npos, "..") == 0) {
                dir = Parent(dir);
                at += 2;
            } else {
                break;
            }
        }
        if (at > 0)
            return Join(dir, path.substr(at));
    }
    // A bare name: the current directory.
    if (path.find('\\') == std::string::npos)
        return Join(CurrentDir(), path);
    return path;
}

bool CheckDirectories(const std::string &list, bool mayCreate) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string dir = Trimmed(list.substr(start, end - start));
        start = end + 1;
        if (dir.empty() || IsDirectory(dir.c_str()))
            continue;
        if (!mayCreate) {
            ErrorBox(FormatMessageId(kStrDirectoryMissing, dir.c_str()));
            return false;
        }
        if (!Confirm(FormatScratch("Directory %s does not exist. Create it?", dir.c_str())))
            return false;
        if (!MakeDirectory(dir.c_str())) {
            ErrorBox(FormatScratch("Impossible to create %s", dir.c_str()));
            return false;
        }
    }
    return true;
}

bool DefaultMakeSetup(ProjectRecord *project) {
    if (project->makeDir.empty()) {
        std::string base = project->sourcesDir.empty() ? CurrentDir() : project->sourcesDir;
        std::string chosen;
        for (int n = 0; n <= kNumberedMakeDirs && chosen.empty(); n++) {
            std::string candidate = Join(base, n == 0 ? "bdx" : "bdx" + std::to_string(n));
            if (!PathPresent(candidate.c_str()))
                chosen = candidate;
        }
        if (chosen.empty() || !MakeDirectory(chosen.c_str())) {
            ErrorBox(FormatScratch("Impossible to create a project subdir in\n%s", base.c_str()));
            return false;
        }
        if (chosen != Join(base, "bdx"))
            AddOutputLines(("Project directory is:\n" + chosen).c_str());
        project->makeDir = chosen;
    }
    project->makeName = std::string(g_app ? g_app->compilerRoot : "") + "\\bin\\make.exe";
    project->compilerFlags |= kCompilerDebugInfo;
    if (project->compilerFlags & kTypeDll)
        project->entryPoint = "LibMain";
    project->debugDir = project->makeDir;
    project->sourcesDir = CurrentDir();
    size_t slash = project->name.find_last_of('\\');
    std::string lastPart = slash == std::string::npos ? project->name : project->name.substr(slash + 1);
    project->errorFile = Join(project->makeDir, lastPart + ".err");
    project->includes = CompilerIncludePath();
    project->makeArgs.clear();
    if (project->compilerFlags & kTypeLibrary)
        project->executable = project->name + ".lib";
    else if (project->compilerFlags & kTypeDll)
        project->executable = project->name + ".dll";
    else
        project->executable = project->name + ".exe";
    // Only a program is started by the debugger; a DLL named "x.exe.dll" is not one.
    if (EndsWithNoCase(project->executable, ".exe")) {
        project->debugExe = project->executable;
        project->debuggerArguments.clear();
    }
    project->hasMake = true;
    return true;
}

std::string ProjectShortName() {
    const ProjectRecord *project = CurrentProject();
    if (!project)
        return std::string();
    std::string name = project->name;
    size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    if (name.size() > 14)
        name.resize(14);
    for (char &c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
}

std::string ProjectFrameTitle() {
    std::string shortName = ProjectShortName();
    if (shortName.empty())
        return "kelto";
    return "kelto-" + shortName;
}

std::string InMakeDirectory(const ProjectRecord &project, const std::string &name) {
    if (name.empty() || name.find('\\') != std::string::npos || project.makeDir.empty())
        return name;
    return Join(project.makeDir, name);
}
