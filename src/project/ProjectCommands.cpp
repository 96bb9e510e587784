// The Project menu's commands: Open, Close, Erase, Export, Import and Open all files.
#include "project/ProjectCommands.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "editor/Document.h"
#include "editor/EditorWindow.h"
#include "editor/OpenFiles.h"
#include "platform/Files.h"
#include "platform/UiPort.h"
#include "project/Build.h"
#include "project/CompileFile.h"
#include "project/Makefile.h"
#include "project/Project.h"
#include "project/ProjectCreate.h"
#include "project/ProjectTransfer.h"
#include "settings/ProjectNames.h"
#include "settings/Settings.h"
#include "ui/OutputWindow.h"

ProjectHooks g_projectHooks;

namespace {

std::string Current() {
    char directory[400];
    return CurrentDirectory(directory, sizeof directory);
}

// The names of the project list, in its order, for a list dialog.
std::vector<std::string> ProjectNameList() {
    std::vector<std::string> names;
    for (const NameEntry *entry = g_projectNames; entry; entry = entry->next)
        names.push_back(entry->name);
    return names;
}

// "Open a project" with the button text `button`; the chosen name, empty when cancelled.
std::string ChooseProject(const char *button) {
    std::vector<std::string> names = ProjectNameList();
    std::vector<const char *> items;
    for (const std::string &name : names)
        items.push_back(name.c_str());
    int choice = CurrentUiPort()->ChooseFromList("Open a project", items.data(), static_cast<int>(items.size()),
                                                 button);
    return choice >= 0 && choice < static_cast<int>(names.size()) ? names[choice] : std::string();
}

}  // namespace

void CloseAllDocumentWindows() {
    HWND frame = g_app ? g_app->frameWindow : nullptr;
    bool shown = frame && IsWindowVisible(frame);
    if (shown)
        ShowWindow(frame, SW_HIDE);
    while (g_editor) {
        View *view = g_editor->views;
        while (view && !view->window)
            view = view->next;
        if (!view)
            break;
        HWND window = view->window;
        DestroyEditorWindow(window);
        if (IsWindow(window))
            break;   // it would not go: no endless loop
    }
    if (shown)
        ShowWindow(frame, SW_SHOW);
}

namespace {

void MenusChanged() {
    if (g_projectHooks.menusChanged)
        g_projectHooks.menusChanged();
}

bool SaveAllWithHook() { return g_projectHooks.saveAllSettings && g_projectHooks.saveAllSettings(); }

void OpenProjectCommand(int, intptr_t) {
    if (!g_projectNames) {
        ErrorMessage(kStrNoProject);
        return;
    }
    if (!SaveModifiedDocuments())
        return;
    std::string name = ChooseProject("OK");
    if (!name.empty())
        OpenProject(name.c_str(), true);
}

void CloseProjectCommand(int, intptr_t) {
    ProjectRecord *project = CurrentProject();
    if (!project) {
        ErrorMessage(kStrNoProject);
        return;
    }
    std::string name = project->name;
    if (!Confirm(FormatScratch("%s %s?", GetString(kStrClose), name.c_str())))
        return;
    if (!CloseProject(name.c_str(), true))
        return;
    g_openProject[0] = '\0';
    SetProjectFrameTitle();
    MenusChanged();
}

void EraseProjectCommand(int, intptr_t) {
    if (!g_projectNames) {
        ErrorMessage(kStrNoProject);
        return;
    }
    std::string name = ChooseProject(GetString(kStrErase));
    if (name.empty() || !Confirm(FormatScratch("%s %s", GetString(kStrErase), name.c_str())))
        return;
    if (CurrentProject() && g_project.name == name) {
        if (!CloseProject(name.c_str(), true))
            return;
        g_openProject[0] = '\0';
        SetProjectFrameTitle();
    }
    DeleteProjectKey(name.c_str());
    MenusChanged();
}

void ExportProjectCommand(int, intptr_t) {
    if (!g_projectNames) {
        ErrorMessage(kStrNoProject);
        return;
    }
    std::string name = ChooseProject("Export");
    if (name.empty())
        return;
    std::string path = Current() + "\\" + name + ".prj";
    LowerCase(&path[0]);
    if (ExportProject(name.c_str(), path.c_str())) {
        AddOutputLines(("Project " + name + " exported into file:\n" + path).c_str());
    } else {
        ErrorBox(FormatScratch("Impossible to export project %s", name.c_str()));
    }
}

void ImportProjectCommand(int, intptr_t) {
    char path[400] = "";
    if (!CurrentUiPort()->AskFileName(false, "Import a project file", "Project files (*.prj)\0*.prj\0", path, sizeof path))
        return;
    char name[kProjectNameSize] = "";
    if (!ImportProject(path, name))
        return;
    MenusChanged();
    if (SaveModifiedDocuments())
        OpenProject(name, true);
}

void EditFilesCommand(int, intptr_t) {
    ProjectRecord *project = CurrentProject();
    if (!project) {
        ErrorMessage(kStrNoProject);
        return;
    }
    // The selection works in the sources directory.
    std::string before = Current();
    bool moved = !project->sourcesDir.empty() && strcasecmp(project->sourcesDir.c_str(), before.c_str()) != 0 &&
                 SetDirectory(project->sourcesDir.c_str()) == 0;
    bool selected = SelectProjectFiles(project);
    if (selected)
        SaveProjectContent(1);
    if (moved)
        SetDirectory(before.c_str());
    if (selected)
        GenerateMakefileCommand();
}

void CreateCommand(int, intptr_t) { CreateProject(); }

void OpenAllFilesCommand(int, intptr_t) {
    ProjectRecord *project = CurrentProject();
    if (!project) {
        ErrorMessage(kStrNoProject);
        return;
    }
    std::string base = project->sourcesDir.empty() ? Current() : project->sourcesDir;
    std::vector<std::string> paths;
    for (const std::string &file : project->files) {
        std::string path = file.find('\\') == std::string::npos ? base + "\\" + file : file;
        std::string upper = path;
        UpperCase(&upper[0]);
        if (!FindDocument(upper.c_str(), false))
            paths.push_back(path);
    }
    HWND frame = g_app ? g_app->frameWindow : nullptr;
    bool hide = paths.size() > 4 && frame && IsWindowVisible(frame);
    if (hide) {
        ShowWindow(frame, SW_HIDE);
        ShowStatus("Loading");
    }
    for (const std::string &path : paths)
        OpenPath(path.c_str());
    if (hide)
        ShowWindow(frame, SW_SHOW);
}

} // namespace

void SetProjectFrameTitle() {
    if (g_app && g_app->frameWindow)
        SetWindowTextA(g_app->frameWindow, ProjectFrameTitle().c_str());
}

bool CloseProject(const char *name, bool save, bool asked) {
    if (!name || !name[0])
        return false;
    if (!asked && !SaveModifiedDocuments())
        return false;
    if (save)
        SaveAllWithHook();
    if (g_app)
        memset(g_app->toolbarRect, 0, sizeof g_app->toolbarRect);
    CloseAllDocumentWindows();
    ClearProject();
    SetProjectFrameTitle();
    return true;
}

bool OpenProject(const char *name, bool asked) {
    // Only a project of the list: reading a name that has no key would make one.
    if (!name || !HasName(g_projectNames, name))
        return false;
    HWND frame = g_app ? g_app->frameWindow : nullptr;
    if (frame && IsZoomed(frame))
        ShowWindow(frame, SW_RESTORE);
    std::string chosen = name;   // `name` may be the open project's own text
    if (CurrentProject() && !CloseProject(g_project.name.c_str(), true, asked))
        return false;
    CopyBounded(g_openProject, chosen.c_str(), sizeof g_openProject);
    ClearProject();
    g_project.name = chosen;
    LoadProjectWorkspace();
    ProjectRecord &p = g_project;
    if (g_app)
        memcpy(g_app->toolbarRect, p.toolbarRect, sizeof p.toolbarRect);
    if (p.path.empty()) {
        p.path = Current();
    } else if (strcasecmp(p.path.c_str(), Current().c_str()) != 0) {
        if (!IsDirectory(p.path.c_str()) || SetDirectory(p.path.c_str()) != 0)
            ErrorBox(FormatMessageId(kStrDirectoryMissing, p.path.c_str()));
    }
    char current[400];
    CopyBounded(current, p.currentFile.c_str(), sizeof current);
    ReopenFiles(p.openFiles, current);
    p.cmsDirectory = Current() + "\\CMS";
    if (!p.hasMake)
        DefaultMakeSetup(&p);
    p.files.clear();
    g_projectUsers.clear();
    LoadProjectContent();
    if (!p.sourcesDir.empty()) {
        UpperCase(&p.sourcesDir[0]);
        SetDirectory(p.sourcesDir.c_str());
    }
    SetProjectFrameTitle();
    MenusChanged();
    g_saveEnabled = true;
    return true;
}

void RegisterProjectCommands() {
    RegisterHandler(IDM_PROJECT_CREATE, CreateCommand);
    RegisterHandler(IDM_PROJECT_FILES, EditFilesCommand);
    RegisterHandler(IDM_PROJECT_OPEN, OpenProjectCommand);
    RegisterHandler(IDM_PROJECT_CLOSE, CloseProjectCommand);
    RegisterHandler(IDM_PROJECT_ERASE, EraseProjectCommand);
    RegisterHandler(IDM_PROJECT_EXPORT, ExportProjectCommand);
    RegisterHandler(IDM_PROJECT_IMPORT, ImportProjectCommand);
    RegisterHandler(IDM_OPEN_ALL_FILES, OpenAllFilesCommand);
    RegisterMakefileCommands();
    RegisterBuildCommands();
    RegisterCompileFileCommand();
    RegisterFileInfoCommand();
}
