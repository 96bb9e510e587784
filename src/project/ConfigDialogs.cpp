// The configuration pages' windows: each moves its page's values in and out of the controls;
// what the values mean is in ConfigPages and ProjectPages.
#include "project/ConfigDialogs.h"

#include <stdio.h>
#include <string.h>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/FrameMessages.h"
#include "base/ResourceIds.h"
#include "base/TextUtil.h"
#include "project/ConfigPages.h"
#include "project/Project.h"
#include "project/ProjectCommands.h"
#include "project/ProjectPages.h"
#include "settings/Settings.h"

const char kWizardTitle[] = "Compiler system configuration";

namespace {

// The option bits of the "General" page's boxes, in the order of their identifiers.
const unsigned kGeneralOptions[] = {kOptionCheckBeforeSave, kOptionMakeBackups, kOptionSaveBeforeBuild,
                                    kOptionTestTarget, kOptionAutosave};

// ---- "General" ----

GeneralPage g_general;

void ShowGeneral(HWND page) {
    g_general = OpenGeneralPage();
    for (size_t i = 0; i < sizeof kGeneralOptions / sizeof *kGeneralOptions; i++)
        SetChecked(page, IDC_GEN_CHECK_DISK + static_cast<int>(i), (g_general.options & kGeneralOptions[i]) != 0);
    SetChecked(page, IDC_GEN_SAVE_ENABLED, g_general.saveEnabled);
    SetItemText(page, IDC_GEN_CURRENT_DIR, g_general.currentDirectory);
    SetItemText(page, IDC_GEN_COMPILER_PATH, g_general.compilerPath);
}

bool ApplyGeneral(HWND page) {
    for (size_t i = 0; i < sizeof kGeneralOptions / sizeof *kGeneralOptions; i++) {
        if (IsChecked(page, IDC_GEN_CHECK_DISK + static_cast<int>(i)))
            g_general.options |= kGeneralOptions[i];
        else
            g_general.options &= ~kGeneralOptions[i];
    }
    g_general.saveEnabled = IsChecked(page, IDC_GEN_SAVE_ENABLED);
    g_general.currentDirectory = ItemText(page, IDC_GEN_CURRENT_DIR);
    g_general.compilerPath = ItemText(page, IDC_GEN_COMPILER_PATH);
    if (ApplyGeneralPage(g_general))
        return true;
    SetFocus(GetDlgItem(page, IDC_GEN_COMPILER_PATH));
    return false;
}

const PageHandlers kGeneralHandlers = {ShowGeneral, ApplyGeneral, nullptr};

// ---- "Project" ----

const int kProjectFields[] = {IDC_PRJ_NAME,        IDC_PRJ_TYPE,    IDC_PRJ_MAKE,     IDC_PRJ_MAKE_DIR,
                              IDC_PRJ_EXECUTABLE, IDC_PRJ_SOURCES, IDC_PRJ_ARGUMENTS};

std::string *ProjectField(ProjectPage *p, int i) {
    std::string *fields[] = {&p->name,       &p->type,  &p->makeCommand, &p->makeDirectory,
                             &p->executable, &p->sourcesDirectory, &p->arguments};
    return fields[i];
}

ProjectPage g_projectPage;

void ShowProject(HWND page) {
    g_projectPage = OpenProjectPage(CurrentProject());
    for (int i = 0; i < 7; i++) {
        SetItemText(page, kProjectFields[i], *ProjectField(&g_projectPage, i));
        EnableWindow(GetDlgItem(page, kProjectFields[i]), g_projectPage.hasProject);
    }
}

bool ApplyProject(HWND page) {
    for (int i = 2; i < 7; i++)
        *ProjectField(&g_projectPage, i) = ItemText(page, kProjectFields[i]);
    return ApplyProjectPage(CurrentProject(), g_projectPage);
}

const PageHandlers kProjectHandlers = {ShowProject, ApplyProject, nullptr};

// ---- "Help" ----

void ShowHelp(HWND page) { SetItemText(page, IDC_HELP_FILE, g_app ? g_app->helpDatabase : ""); }

bool ApplyHelp(HWND page) {
    if (g_app)
        CopyBounded(g_app->helpDatabase, ItemText(page, IDC_HELP_FILE).c_str(), sizeof g_app->helpDatabase);
    return true;
}

const PageHandlers kHelpHandlers = {ShowHelp, ApplyHelp, nullptr};

// ---- "Compiler" ----

const char *const kAlignments[] = {"none", "2", "4", "8", "16", "default"};
CompilerPage g_compiler;

struct CompilerBoxField {
    int id;
    bool CompilerPage::*field;
};
const CompilerBoxField kCompilerBoxes[] = {
    {IDC_CC_ASM, &CompilerPage::generateAsm},        {IDC_CC_INTERMEDIATE, &CompilerPage::intermediate},
    {IDC_CC_G4, &CompilerPage::g4},                  {IDC_CC_G3, &CompilerPage::g3},
    {IDC_CC_DEBUG, &CompilerPage::debugInfo},        {IDC_CC_PENTIUM_PRO, &CompilerPage::pentiumPro},
    {IDC_CC_OPTIMIZE, &CompilerPage::optimize},      {IDC_CC_BROWSE, &CompilerPage::browseInfo},
    {IDC_CC_WARN_ALL, &CompilerPage::warningsAll},
};

void ShowCompilerBoxes(HWND page) {
    for (const CompilerBoxField &box : kCompilerBoxes)
        SetChecked(page, box.id, g_compiler.*box.field);
    SetChecked(page, IDC_CC_WARN_NORMAL, !g_compiler.warningsAll);
    EnableWindow(GetDlgItem(page, IDC_CC_G3), g_compiler.g3Enabled);
    EnableWindow(GetDlgItem(page, IDC_CC_G4), g_compiler.g4Enabled);
}

void ShowCompiler(HWND page) {
    ProjectRecord *project = CurrentProject();
    g_compiler = project ? OpenCompilerPage(project) : CompilerPage();
    const char *none = "No project defined";
    SetItemText(page, IDC_CC_DEFINES, project ? g_compiler.defines : none);
    SetItemText(page, IDC_CC_INCLUDES, project ? g_compiler.includes : none);
    SetItemText(page, IDC_CC_ERROR_FILE, project ? g_compiler.errorFile : none);
    HWND list = GetDlgItem(page, IDC_CC_ALIGNMENT);
    for (const char *entry : kAlignments)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(g_compiler.alignment), 0);
    ShowCompilerBoxes(page);
}

void CompilerClicked(HWND page, int id) {
    CompilerBox clicked;
    if (id == IDC_CC_DEBUG)
        clicked = kBoxDebugInfo;
    else if (id == IDC_CC_G3)
        clicked = kBoxG3;
    else if (id == IDC_CC_G4)
        clicked = kBoxG4;
    else
        return;
    for (const CompilerBoxField &box : kCompilerBoxes)
        g_compiler.*box.field = IsChecked(page, box.id);
    CoupleCompilerBoxes(&g_compiler, clicked);
    ShowCompilerBoxes(page);
}

bool ApplyCompiler(HWND page) {
    ProjectRecord *project = CurrentProject();
    if (!project)
        return true;
    for (const CompilerBoxField &box : kCompilerBoxes)
        g_compiler.*box.field = IsChecked(page, box.id);
    g_compiler.defines = ItemText(page, IDC_CC_DEFINES);
    g_compiler.includes = ItemText(page, IDC_CC_INCLUDES);
    g_compiler.errorFile = ItemText(page, IDC_CC_ERROR_FILE);
    LRESULT alignment = SendDlgItemMessageA(page, IDC_CC_ALIGNMENT, CB_GETCURSEL, 0, 0);
    g_compiler.alignment = alignment == CB_ERR ? kAlignDefault : static_cast<int>(alignment);
    ApplyCompilerPage(project, g_compiler);
    return true;
}

const PageHandlers kCompilerHandlers = {ShowCompiler, ApplyCompiler, CompilerClicked};

// ---- "Linker" ----

LinkerPage g_linker;
const int kLinkerTypes[] = {IDC_LNK_WINDOWS, IDC_LNK_CONSOLE, IDC_LNK_DLL, IDC_LNK_LIBRARY};

void ShowLinkerState(HWND page) {
    for (int type = 0; type < 4; type++)
        SetChecked(page, kLinkerTypes[type], g_linker.type == type);
    SetItemText(page, IDC_LNK_ENTRY, g_linker.entryPoint);
    EnableWindow(GetDlgItem(page, IDC_LNK_ENTRY), g_linker.entryEnabled);
    for (int id : {IDC_LNK_LIBRARIES, IDC_LNK_MAP, IDC_LNK_NO_DEBUG})
        EnableWindow(GetDlgItem(page, id), g_linker.librariesEnabled);
}

void ShowLinker(HWND page) {
    ProjectRecord *project = CurrentProject();
    g_linker = project ? OpenLinkerPage(project) : LinkerPage();
    SetItemText(page, IDC_LNK_OUTPUT, g_linker.output);
    SetItemText(page, IDC_LNK_LIBRARIES, g_linker.libraries);
    SetItemText(page, IDC_LNK_ARGUMENTS, g_linker.arguments);
    SetChecked(page, IDC_LNK_NO_DEBUG, g_linker.noDebugInfo);
    SetChecked(page, IDC_LNK_MAP, g_linker.mapFile);
    SetChecked(page, IDC_LNK_NO_UNDERSCORES, g_linker.noUnderscores);
    ShowLinkerState(page);
}

void LinkerClicked(HWND page, int id) {
    for (int type = 0; type < 4; type++) {
        if (id != kLinkerTypes[type])
            continue;
        g_linker.entryPoint = ItemText(page, IDC_LNK_ENTRY);
        ChooseLinkerType(&g_linker, type);
        ShowLinkerState(page);
    }
}

bool ApplyLinker(HWND page) {
    ProjectRecord *project = CurrentProject();
    if (!project)
        return true;
    g_linker.output = ItemText(page, IDC_LNK_OUTPUT);
    g_linker.libraries = ItemText(page, IDC_LNK_LIBRARIES);
    g_linker.entryPoint = ItemText(page, IDC_LNK_ENTRY);
    g_linker.arguments = ItemText(page, IDC_LNK_ARGUMENTS);
    g_linker.noDebugInfo = IsChecked(page, IDC_LNK_NO_DEBUG);
    g_linker.mapFile = IsChecked(page, IDC_LNK_MAP);
    g_linker.noUnderscores = IsChecked(page, IDC_LNK_NO_UNDERSCORES);
    for (int type = 0; type < 4; type++)
        if (IsChecked(page, kLinkerTypes[type]))
            g_linker.type = type;
    std::string executable = project->executable;
    if (!ApplyLinkerPage(project, g_linker))
        return false;
    if (executable != project->executable && g_projectHooks.menusChanged)
        g_projectHooks.menusChanged();
    return true;
}

const PageHandlers kLinkerHandlers = {ShowLinker, ApplyLinker, LinkerClicked};

// ---- "Fortran" ----

void ShowFortran(HWND page) {
    int flags = CurrentProject() ? CurrentProject()->fortranFlags : 0;
    for (int box = 0; box < kFortranOptionCount; box++) {
        SetItemText(page, IDC_F2C_FIRST + box, FortranBoxText(box));
        SetChecked(page, IDC_F2C_FIRST + box, FortranBoxChecked(flags, box));
    }
}

bool ApplyFortran(HWND page) {
    bool checked[kFortranOptionCount];
    for (int box = 0; box < kFortranOptionCount; box++)
        checked[box] = IsChecked(page, IDC_F2C_FIRST + box);
    if (ProjectRecord *project = CurrentProject()) {
        int flags = FortranFlagsOf(checked, kFortranOptionCount);
        project->changed = project->changed || flags != project->fortranFlags;
        project->fortranFlags = flags;
    }
    return true;
}

const PageHandlers kFortranHandlers = {ShowFortran, ApplyFortran, nullptr};

// ---- "Versions" and "Small eiffel": shown here, changed where their features live ----

void ShowVersions(HWND page) {
    const ProjectRecord *project = CurrentProject();
    if (!project)
        return;
    SetChecked(page, IDC_VER_USE, (project->projectFlags & kProjectUsesCms) != 0);
    SetItemText(page, IDC_VER_DIRECTORY, project->cmsDirectory);
    for (const std::string &user : g_projectUsers)
        SendDlgItemMessageA(page, IDC_VER_USERS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(user.c_str()));
}

void ShowEiffel(HWND page) {
    if (const ProjectRecord *project = CurrentProject()) {
        SetItemText(page, IDC_EIF_ROOT_CLASS, project->eiffelRootClass);
        SetItemText(page, IDC_EIF_ROOT_PROCEDURE, project->eiffelRootProcedure);
    }
}

bool KeepValues(HWND) { return true; }

const PageHandlers kVersionsHandlers = {ShowVersions, KeepValues, nullptr};
const PageHandlers kEiffelHandlers = {ShowEiffel, KeepValues, nullptr};

} // namespace

PROPSHEETPAGEA GeneralPageSheet() { return MakePage(IDD_PAGE_GENERAL, nullptr, &kGeneralHandlers, kPageSheet); }
PROPSHEETPAGEA ProjectPageSheet() { return MakePage(IDD_PAGE_PROJECT, nullptr, &kProjectHandlers, kPageSheet); }
PROPSHEETPAGEA HelpPageSheet() { return MakePage(IDD_PAGE_HELP, nullptr, &kHelpHandlers, kPageSheet); }

PROPSHEETPAGEA CompilerPageSheet(PageMode mode) {
    return MakePage(IDD_PAGE_COMPILER, mode == kPageSheet ? nullptr : kWizardTitle, &kCompilerHandlers, mode);
}

PROPSHEETPAGEA LinkerPageSheet(PageMode mode) {
    const ProjectRecord *project = CurrentProject();
    const char *title = mode != kPageSheet                                   ? kWizardTitle
                        : project && (project->compilerFlags & kTypeLibrary) ? "Librarian"
                                                                             : nullptr;
    return MakePage(IDD_PAGE_LINKER, title, &kLinkerHandlers, mode);
}

PROPSHEETPAGEA VersionsPageSheet() { return MakePage(IDD_PAGE_VERSIONS, nullptr, &kVersionsHandlers, kPageSheet); }
PROPSHEETPAGEA EiffelPageSheet() { return MakePage(IDD_PAGE_EIFFEL, nullptr, &kEiffelHandlers, kPageSheet); }

PROPSHEETPAGEA FortranPageSheet() { return MakePage(IDD_PAGE_FORTRAN, nullptr, &kFortranHandlers, kPageSheet); }

void AfterConfiguration() {
    ProjectRecord *project = CurrentProject();
    if (!project)
        return;
    if (g_saveEnabled && g_projectHooks.saveAllSettings)
        g_projectHooks.saveAllSettings();
    if (project->changed && ConfirmMessage(1156) && g_app && g_app->frameWindow)
        PostMessageA(g_app->frameWindow, kMsgPostedCommand, IDM_GENERATE_MAKEFILE, 0);
    project->changed = false;
}
