// Creating a project: its name, the "Definition of a new project" dialog, the wizard or the
// file selection, the default make set-up, and opening its files.
#include "project/ProjectCreate.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/ResourceIds.h"
#include "base/TextUtil.h"
#include "editor/Document.h"
#include "platform/DialogParameter.h"
#include "platform/Files.h"
#include "platform/UiPort.h"
#include "project/Makefile.h"
#include "project/Project.h"
#include "project/ProjectCommands.h"
#include "project/ProjectTransfer.h"
#include "project/Wizard.h"
#include "settings/ProjectNames.h"
#include "settings/Settings.h"
#include "ui/Dialogs.h"

namespace {

std::string Current() {
    char directory[400];
    return CurrentDirectory(directory, sizeof directory);
}

std::string Text(HWND dialog, int id) {
    char text[400] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

struct DialogData {
    NewProjectFields *fields;
    bool settingName;   // the dialog itself is changing the name field
};

const int kTypeButtons[] = {IDC_NEW_PROJECT_WINDOWS, IDC_NEW_PROJECT_CONSOLE, IDC_NEW_PROJECT_DLL,
                            IDC_NEW_PROJECT_LIBRARY};
const unsigned kTypes[] = {kTypeWindows, kTypeConsole, kTypeDll, kTypeLibrary};

INT_PTR CALLBACK NewProjectProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogData *data = DialogParameter<DialogData>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_NEW_PROJECT_NAME, EM_LIMITTEXT, kProjectNameLength, 0);
        SetDlgItemTextA(dialog, IDC_NEW_PROJECT_NAME, data->fields->name.c_str());
        CheckDlgButton(dialog, IDC_NEW_PROJECT_SINGLE, BST_CHECKED);
        CheckDlgButton(dialog, IDC_NEW_PROJECT_CONSOLE, BST_CHECKED);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDC_NEW_PROJECT_NAME && code == EN_CHANGE && !data->settingName) {
            std::string name = Text(dialog, id);
            const char *why = nullptr;
            if (HasName(g_projectNames, name.c_str()))
                why = FormatScratch("A project with name \"%s\" is already defined", name.c_str());
            else if (name.find(' ') != std::string::npos)
                why = GetString(kStrBlankInProjectName);
            if (why) {
                ErrorBox(why);
                data->settingName = true;
                SetDlgItemTextA(dialog, id, "");
                data->settingName = false;
            }
            return TRUE;
        }
        if ((id == IDC_NEW_PROJECT_DIRECTORY && code == EN_CHANGE) || id == IDC_NEW_PROJECT_BROWSE) {
            if (id == IDC_NEW_PROJECT_BROWSE) {
                char chosen[400] = "";
                if (!CurrentUiPort()->AskDirectory("Working directory", "*.*", chosen, sizeof chosen))
                    return TRUE;
                SetDlgItemTextA(dialog, IDC_NEW_PROJECT_DIRECTORY, chosen);   // comes back as EN_CHANGE
                return TRUE;
            }
            SetDlgItemTextA(dialog, IDC_NEW_PROJECT_OUTPUT, (Text(dialog, id) + "\\bdx").c_str());
            return TRUE;
        }
        if (id == IDOK) {
            NewProjectFields &f = *data->fields;
            f.name = Text(dialog, IDC_NEW_PROJECT_NAME);
            f.directory = Text(dialog, IDC_NEW_PROJECT_DIRECTORY);
            f.output = Text(dialog, IDC_NEW_PROJECT_OUTPUT);
            f.cms = IsDlgButtonChecked(dialog, IDC_NEW_PROJECT_CMS) == BST_CHECKED;
            f.type = 0;
            for (int i = 0; i < 4; i++)
                if (IsDlgButtonChecked(dialog, kTypeButtons[i]) == BST_CHECKED)
                    f.type = kTypes[i];
            if (AcceptNewProject(&f))
                EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    }
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

bool RunNewProjectDialog(NewProjectFields *fields) {
    DialogData data = {fields, false};
    return RunDialog(NewProjectProc, IDD_NEW_PROJECT, reinterpret_cast<LPARAM>(&data)) == IDOK;
}

// Creates `path` when it is missing; false, with "Creation of %s impossible", when it cannot be.
bool MakeMissingDirectory(const std::string &path) {
    if (IsDirectory(path.c_str()) || MakeDirectory(path.c_str()))
        return true;
    ErrorBox(FormatMessageId(kStrCannotCreate, path.c_str()));
    return false;
}

bool IsResourceScript(const std::string &file) {
    size_t slash = file.rfind('\\');
    std::string last = file.substr(slash == std::string::npos ? 0 : slash + 1);
    UpperCase(&last[0]);
    return last.find(".RC") != std::string::npos;
}

void Abandon() {
    ClearProject();
    g_openProject[0] = '\0';
    SetProjectFrameTitle();
}

} // namespace

std::string UserName() {
    char name[256] = "";
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size))
        name[0] = '\0';
    return name;
}

bool (*g_askNewProject)(NewProjectFields *fields) = RunNewProjectDialog;

bool AcceptNewProject(NewProjectFields *f) {
    if (f->name.empty()) {
        ErrorMessage(kStrEmptyProjectName);
        return false;
    }
    // The name is also the name of the project's key in the store.
    if (!IsProjectKeyName(f->name.c_str()) || f->name.find(' ') != std::string::npos) {
        ErrorBox(FormatScratch("\"%s\" cannot be a project name: at most %d characters, no blank, no backslash",
                               f->name.c_str(), kProjectNameSize - 1));
        return false;
    }
    if (HasName(g_projectNames, f->name.c_str())) {
        ErrorBox(FormatScratch("A project with name \"%s\" is already defined", f->name.c_str()));
        return false;
    }
    if (f->directory.empty()) {
        ErrorBox("You have to give a project path!");
        return false;
    }
    if (f->type == 0) {
        ErrorMessage(kStrNoProjectType);
        return false;
    }
    while (f->directory.size() > 3 && f->directory.back() == '\\')
        f->directory.pop_back();
    if (f->output.empty())
        f->output = f->directory + "\\bdx";
    // The working directory first: the output directory usually lies in it.
    if (!MakeMissingDirectory(f->directory))
        return false;
    if (IsDirectory(f->output.c_str())) {
        if (!Confirm(FormatScratch("Directory %s exists. Use it anyway?", f->output.c_str())))
            return false;
    } else if (!MakeMissingDirectory(f->output)) {
        return false;
    }
    if (f->cms) {
        std::string cms = f->directory + "\\CMS";
        if (strcasecmp(cms.c_str(), f->directory.c_str()) == 0) {
            ErrorMessage(kStrCmsInCurrentDirectory);
            return false;
        }
        if (!MakeMissingDirectory(cms))
            return false;
    }
    return true;
}

void CreateProject() {
    if (!SaveModifiedDocuments())
        return;
    NewProjectFields fields;
    for (;;) {
        char name[kProjectNameLength + 1] = "";
        if (!CurrentUiPort()->AskText("Enter the new project name", name, sizeof name, "Project name?"))
            return;
        if (!HasName(g_projectNames, name)) {
            fields.name = name;
            break;
        }
        ErrorBox(FormatScratch("This name ('%s') is already used as a project name", name));
    }
    if (!g_askNewProject(&fields))
        return;
    // The open project is closed (and saved) from where it was, not from the new directory.
    if (CurrentProject()) {
        if (!CloseProject(g_project.name.c_str(), true, true))
            return;
    } else {
        if (g_projectHooks.saveAllSettings)
            g_projectHooks.saveAllSettings();
        CloseAllDocumentWindows();
    }
    if (SetDirectory(fields.directory.c_str()) != 0) {
        ErrorBox(FormatMessageId(kStrDirectoryMissing, fields.directory.c_str()));
        return;
    }
    ClearProject();
    ProjectRecord &p = g_project;
    p.name = fields.name;
    p.path = Current();
    p.compilerFlags = fields.type | kCompilerDebugInfo;
    p.makeDir = fields.output;
    if (fields.cms) {
        p.projectFlags |= kProjectUsesCms;
        p.cmsDirectory = p.path + "\\CMS";
    }
    g_projectUsers.clear();
    std::string user = UserName();
    if (!user.empty())
        g_projectUsers.push_back(user);
    int found = 0;
    if (fields.type != kTypeLibrary && ConfirmMessage(kStrUseWizard)) {
        found = RunWizard(&p) > 0 ? static_cast<int>(p.files.size()) : 0;
        // The wizard may rename the project: the new name must do for a key as well.
        if (p.name != fields.name && (!IsProjectKeyName(p.name.c_str()) || HasName(g_projectNames, p.name.c_str()))) {
            ErrorBox(FormatScratch("The wizard's project name \"%s\" cannot be used: the project stays \"%s\"",
                                   p.name.c_str(), fields.name.c_str()));
            p.name = fields.name;
        }
    } else
        found = SelectProjectFiles(&p) ? static_cast<int>(p.files.size()) : 0;
    if (found == 0 && !ConfirmMessage(kStrNoFilesSelected)) {
        Abandon();
        return;
    }
    if (!DefaultMakeSetup(&p)) {
        Abandon();
        return;
    }
    p.compilerFlags |= kCompilerDebugInfo;
    if (g_projectHooks.newProjectSheet && !g_projectHooks.newProjectSheet()) {
        Abandon();
        return;
    }
    AddName(&g_projectNames, p.name.c_str());
    CopyBounded(g_openProject, p.name.c_str(), sizeof g_openProject);
    g_saveEnabled = true;
    SaveProjectContent(1);
    if (g_projectHooks.saveAllSettings)
        g_projectHooks.saveAllSettings();
    SetProjectFrameTitle();
    if (g_projectHooks.menusChanged)
        g_projectHooks.menusChanged();
    int count = static_cast<int>(p.files.size());
    if (count > 45 && !Confirm(FormatMessageId(kStrOpenFilesCount, count)))
        return;
    std::vector<std::string> files = p.files;   // opening may change the record's list
    for (const std::string &file : files)
        if (!IsResourceScript(file))
            OpenPath(MakeFullPath(file).c_str());
    GenerateMakefileCommand();
}

bool SelectProjectFiles(ProjectRecord *project) {
    std::vector<std::string> list = project->files;
    for (size_t at = 0; at < project->libraries.size();) {
        size_t end = project->libraries.find(' ', at);
        if (end == std::string::npos)
            end = project->libraries.size();
        if (end > at)
            list.push_back(project->libraries.substr(at, end - at));
        at = end + 1;
    }
    if (!CurrentUiPort()->SelectFiles("*.c", &list))
        return false;
    // Libraries go to the linker's list, upper-cased; everything else is a source.
    project->files.clear();
    project->libraries.clear();
    for (std::string name : list) {
        std::string upper = name;
        UpperCase(&upper[0]);
        if (upper.find(".LIB") != std::string::npos) {
            project->libraries += (project->libraries.empty() ? "" : " ") + upper;
        } else {
            project->files.push_back(name);
        }
    }
    return true;
}
