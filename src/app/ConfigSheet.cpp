// The configuration sheets: "Configuration of Kelto" of the Project menu, and the wizard that
// configures a project being created. The pages come from the features they configure.
#include "app/Frame.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "base/AppState.h"
#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/Messages.h"
#include "debugger/DebugPage.h"
#include "editor/LanguagePage.h"
#include "editor/MacroPage.h"
#include "editor/WorkspacePage.h"
#include "platform/UiPort.h"
#include "project/ConfigDialogs.h"
#include "project/Project.h"
#include "project/UtilitiesPage.h"

namespace {

bool IsFortranProject(const ProjectRecord &project) {
    if (project.projectFlags & kProjectFortran)
        return true;
    for (const std::string &file : project.files) {
        size_t dot = file.find_last_of('.');
        if (dot != std::string::npos && (file.compare(dot, 2, ".f") == 0 || file.compare(dot, 2, ".F") == 0) &&
            dot + 2 == file.size())
            return true;
    }
    return false;
}

INT_PTR ShowSheet(PROPSHEETHEADERA *header, std::vector<PROPSHEETPAGEA> &pages) {
    header->dwSize = sizeof *header;
    header->dwFlags |= PSH_PROPSHEETPAGE;
    header->hwndParent = g_app ? g_app->frameWindow : nullptr;
    header->hInstance = GetModuleHandleA(nullptr);
    header->nPages = static_cast<UINT>(pages.size());
    header->ppsp = pages.data();
    ModalScope modal;
    return PropertySheetA(header);
}

void ConfigurationCommand(int, intptr_t) { ConfigurationSheet(); }

} // namespace

void ConfigurationSheet() {
    ResetPages();
    ProjectRecord *project = CurrentProject();
    std::vector<PROPSHEETPAGEA> pages;
    pages.push_back(GeneralPageSheet());
    if (project)
        pages.push_back(ProjectPageSheet());
    pages.push_back(HelpPageSheet());
    if (project)
        pages.push_back(VersionsPageSheet());
    if (project)
        pages.push_back(CompilerPageSheet(kPageSheet));
    pages.push_back(MacroPageSheet());
    pages.push_back(DebuggerPageSheet(kPageSheet));
    if (project)
        pages.push_back(LinkerPageSheet(kPageSheet));
    pages.push_back(LanguagePageSheet());
    pages.push_back(WorkspacePageSheet());
    pages.push_back(UtilitiesPageSheet());
    if (project && (project->projectFlags & kProjectEiffel))
        pages.push_back(EiffelPageSheet());
    if (project && IsFortranProject(*project))
        pages.push_back(FortranPageSheet());
    PROPSHEETHEADERA header = {};
    header.dwFlags = PSH_NOAPPLYNOW;
    header.pszCaption = GetString(109);
    ShowSheet(&header, pages);
    AfterConfiguration();
}

bool NewProjectSheet() {
    ProjectRecord *project = CurrentProject();
    if (!project)
        return false;
    ResetPages();
    std::vector<PROPSHEETPAGEA> pages = {CompilerPageSheet(kPageWizardFirst), LinkerPageSheet(kPageWizardMiddle),
                                         DebuggerPageSheet(kPageWizardLast)};
    PROPSHEETHEADERA header = {};
    header.dwFlags = PSH_WIZARD;
    header.pszCaption = kWizardTitle;
    project->changed = ShowSheet(&header, pages) > 0;
    return project->changed;
}

void RegisterConfigurationCommand() { RegisterHandler(IDM_PROJECT_CONFIGURATION, ConfigurationCommand); }
