// "Compile <file>": recompiles the active document within the open project, after asking
// whether a file the project does not hold joins it, or makes a project of the document alone
// when none is open.
#include "project/CompileFile.h"

#include <windows.h>
#include <string.h>
#include <strings.h>

#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "base/ResourceIds.h"
#include "editor/Document.h"
#include "platform/Files.h"
#include "platform/UiPort.h"
#include "project/Build.h"
#include "project/Makefile.h"
#include "project/Project.h"
#include "project/ProjectCommands.h"
#include "project/ProjectCreate.h"
#include "settings/ProjectNames.h"
#include "settings/Settings.h"

namespace {

const char kImpossible[] = "\nImpossible to generate default project";

// The document's path as the disk spells it.
std::string DocumentFile(const Document *doc) { return doc->diskPath[0] ? doc->diskPath : doc->path; }

bool IsIdentifierStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsIdentifierPart(char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); }

// The function a line starting at its first column defines: the last name before the first
// "(", when the line is no declaration (no ";" after it) and no preprocessor line.
bool DefinedFunction(const char *text, int length, std::string *name) {
    if (length == 0 || !IsIdentifierStart(text[0]))
        return false;
    std::string line(text, static_cast<size_t>(length));
    size_t open = line.find('(');
    if (open == std::string::npos || line.find(';', open) != std::string::npos ||
        line.find_first_of("=;{}\"'", 0) < open)
        return false;
    size_t end = open;
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t'))
        end--;
    size_t start = end;
    while (start > 0 && IsIdentifierPart(line[start - 1]))
        start--;
    if (start == end)
        return false;
    *name = line.substr(start, end - start);
    static const char *const kStatements[] = {"if", "while", "for", "switch", "return", "sizeof"};
    for (const char *word : kStatements)
        if (*name == word)
            return false;
    return true;
}

void ShowFailure(const std::string &text) {
    ErrorBox((text + kImpossible).c_str());
    ClearProject();
}

bool GenerateDefaultMakefile() {
    if (GenerateMakefile(CurrentProject()))
        return true;
    ErrorBox("Error generating the make file");
    return false;
}

void CompileHandler(int, intptr_t) { CompileCurrentFile(); }

} // namespace

std::vector<std::string> DocumentFunctions(const Document *doc) {
    std::vector<std::string> names;
    std::string name;
    for (const Line *line = doc->sentinel->next; line != doc->sentinel; line = line->next)
        if (DefinedFunction(line->text, line->length, &name))
            names.push_back(name);
    return names;
}

bool MakeDefaultProject() {
    ClearProject();
    if (!HasFileDocument())
        return false;
    Document *doc = g_editor->doc;
    std::string file = DocumentFile(doc);
    std::string last = LastComponent(file);
    size_t dot = last.find('.');
    if (dot == std::string::npos || dot == 0) {
        ErrorBox(("A project cannot be named after " + last + kImpossible).c_str());
        return false;
    }
    std::string name = last.substr(0, dot);
    for (const NameEntry *entry = g_projectNames; entry; entry = entry->next) {
        if (strcasecmp(entry->name, name.c_str()) == 0) {
            ErrorBox(("A project with the name '" + name + "' exists already").c_str());
            return false;
        }
    }
    ProjectRecord &p = g_project;
    p.name = name;
    p.path = file.substr(0, file.size() - last.size() - 1);
    if (!SetCurrentDirectoryA(p.path.c_str())) {
        ShowFailure(FormatScratch("Directory %s doesn't exist", p.path.c_str()));
        return false;
    }
    std::vector<std::string> functions = g_projectHooks.functionNames
                                             ? g_projectHooks.functionNames(doc)
                                             : DocumentFunctions(doc);
    bool hasMain = false, hasWinMain = false;
    for (const std::string &function : functions) {
        hasMain = hasMain || function == "main";
        hasWinMain = hasWinMain || function == "WinMain";
    }
    if (functions.empty()) {
        ShowFailure("No functions defined in " + last);
        return false;
    }
    if (!hasMain && !hasWinMain) {
        ShowFailure("Neither 'main' nor 'WinMain' defined in " + name);
        return false;
    }
    p.compilerFlags = (hasMain ? kTypeConsole : kTypeWindows) | kCompilerDebugInfo;
    p.files = {last};
    if (!DefaultMakeSetup(&p)) {   // chooses and makes the make directory too
        ClearProject();
        return false;
    }
    std::string user = UserName();
    if (!user.empty())
        g_projectUsers.push_back(user);
    AddName(&g_projectNames, p.name.c_str());
    CopyBounded(g_openProject, p.name.c_str(), sizeof g_openProject);
    SaveProjectContent(1);
    SetProjectFrameTitle();
    if (g_projectHooks.menusChanged)
        g_projectHooks.menusChanged();
    return true;
}

void CompileCurrentFile() {
    if (!HasFileDocument())
        return;
    if (g_app && g_app->buildState != kBuildIdle) {
        ErrorMessage(4565);
        return;
    }
    std::string file = DocumentFile(g_editor->doc);
    ProjectRecord *p = CurrentProject();
    if (!p) {
        if (!MakeDefaultProject() || !GenerateDefaultMakefile())
            return;
    } else {
        bool listed = false;
        for (const std::string &entry : p->files)
            listed = listed || IsProjectFile(*p, entry, file);
        if (!listed) {
            int answer = CurrentUiPort()->ShowFileList(IDD_COMPILE_FILE, nullptr, 0);
            if (answer == IDC_COMPILE_ADD) {
                p->files.push_back(file);
                GenerateMakefileCommand();
            } else if (answer == IDC_COMPILE_NEW_PROJECT) {
                if (!CloseProject(p->name.c_str(), true))
                    return;
                if (!OpenPath(file.c_str()) || !MakeDefaultProject() || !GenerateDefaultMakefile())
                    return;
            } else {
                return;
            }
        }
    }
    p = CurrentProject();
    if (!p->hasMake && !DefaultMakeSetup(p))
        return;
    std::string last = LastComponent(file);
    size_t dot = last.find_last_of('.');
    if (dot == std::string::npos) {
        ErrorBox(("Error in object file name " + p->makeDir + "\\" + last).c_str());
        return;
    }
    // make compiles the document again when its object is gone.
    DeleteFileA((p->makeDir + "\\" + last.substr(0, dot) + ".obj").c_str());
    MakeCommand();
}

void RegisterCompileFileCommand() { RegisterHandler(IDM_COMPILE_FILE, CompileHandler); }
