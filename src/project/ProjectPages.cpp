// The "General", "Project" and "Fortran" pages of the configuration sheet, without their
// windows.
#include "project/ProjectPages.h"

#include <windows.h>
#include <string.h>
#include <strings.h>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "platform/Files.h"
#include "project/ConfigPages.h"
#include "project/Project.h"
#include "settings/Settings.h"

namespace {

const char kNoProject[] = "No project defined";

const char *const kFortranBoxes[] = {
    "Default type of an undefined variable is 'undefined'. Ignore Fortran rules",
    "Case sensitive compilation",
    "Do not promote REAL to DOUBLE PRECISION",
    "Always promote REAL to DOUBLE PRECISION",
    "Local variables stack based",
    "Include fortran source in generated code",
    "Output line number information",
    "Check array accesses",
};

std::string CurrentDirectory() {
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    return directory;
}

bool DirectoryMustExist(const std::string &directory) {
    if (IsDirectory(directory.c_str()))
        return true;
    ErrorBox(FormatMessageId(kStrDirectoryMissing, directory.c_str()));
    return false;
}

} // namespace

GeneralPage OpenGeneralPage() {
    GeneralPage page;
    page.compilerPath = g_app ? g_app->compilerRoot : "";
    page.currentDirectory = CurrentDirectory();
    page.options = g_app ? g_app->optionByte : 0;
    page.saveEnabled = g_saveEnabled;
    return page;
}

bool ApplyGeneralPage(const GeneralPage &page) {
    if (g_app && page.compilerPath != g_app->compilerRoot &&
        (!CheckCompilerRoot(page.compilerPath) || !RegisterCompilerRoot(page.compilerPath.c_str())))
        return false;
    std::string directory = Uppered(page.currentDirectory);
    if (!directory.empty()) {
        if (!DirectoryMustExist(directory))
            return false;
        if (strcasecmp(directory.c_str(), CurrentDirectory().c_str()) != 0)
            SetCurrentDirectoryA(directory.c_str());
    }
    if (g_app)
        g_app->optionByte = page.options;
    g_saveEnabled = page.saveEnabled;
    return true;
}

ProjectPage OpenProjectPage(const ProjectRecord *p) {
    ProjectPage page;
    if (!p) {
        page.name = page.type = page.makeCommand = page.makeDirectory = page.executable = page.sourcesDirectory =
            page.arguments = kNoProject;
        return page;
    }
    page.hasProject = true;
    page.name = p->name;
    page.type = (p->compilerFlags & kTypeLibrary)   ? "Library"
                : (p->compilerFlags & kTypeConsole) ? "Console application"
                                                    : "Windows application";
    page.makeCommand = p->makeName + (p->makeArgs.empty() ? "" : " " + p->makeArgs);
    page.makeDirectory = p->makeDir;
    page.executable = p->executable.empty() ? "<not defined>" : p->executable;
    page.sourcesDirectory = p->sourcesDir;
    page.arguments = p->debuggerArguments;
    return page;
}

bool ApplyProjectPage(ProjectRecord *p, const ProjectPage &page) {
    if (!p || !page.hasProject)
        return true;
    // The make program: its first word must be a file, perhaps once ".EXE" is added.
    std::string command = page.makeCommand;
    size_t start = command.find_first_not_of(' ');
    command = start == std::string::npos ? std::string() : command.substr(start);
    size_t blank = command.find(' ');
    std::string program = command.substr(0, blank);
    std::string arguments = blank == std::string::npos ? std::string() : command.substr(blank + 1);
    if (!FileExists(program.c_str())) {
        bool extended = program.find(';') == std::string::npos && LastComponent(program).find('.') == std::string::npos;
        if (!extended || program.empty() || !FileExists((program + ".EXE").c_str())) {
            ErrorBox(FormatMessageId(kStrFileNotFound, program.c_str()));
            return false;
        }
        program += ".EXE";
    }
    std::string makeDirectory = Uppered(page.makeDirectory.empty() ? CurrentDirectory() : page.makeDirectory);
    if (!DirectoryMustExist(makeDirectory))
        return false;
    std::string executable = page.executable;
    if (executable == "<not defined>")
        executable.clear();
    if (!executable.empty()) {
        if (LastComponent(executable).find('.') == std::string::npos)
            executable += ".EXE";
        if (executable.find('\\') == std::string::npos)
            executable = makeDirectory + "\\" + executable;
        executable = Uppered(executable);
    }
    if (Uppered(p->errorFile).find(".EXE") != std::string::npos) {
        ErrorBox(FormatMessageId(410, p->errorFile.c_str()));
        return false;
    }
    if (!DirectoryMustExist(page.sourcesDirectory))
        return false;
    p->hasMake = true;
    p->makeName = Uppered(program);
    p->makeArgs = arguments;
    p->makeDir = makeDirectory;
    p->executable = executable;
    p->sourcesDir = page.sourcesDirectory;
    p->debuggerArguments = page.arguments;
    return true;
}

bool FortranBoxChecked(int fortranFlags, int box) { return box >= 0 && box < 8 && (fortranFlags & (1 << box)); }

int FortranFlagsOf(const bool *checked, int count) {
    int flags = 0;
    for (int box = 0; box < count && box < 8; box++)
        if (checked[box])
            flags |= 1 << box;
    return flags;
}

const char *FortranBoxText(int box) {
    return box >= 0 && box < static_cast<int>(sizeof kFortranBoxes / sizeof *kFortranBoxes) ? kFortranBoxes[box] : "";
}
