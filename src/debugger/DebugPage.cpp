// The "Debugger" page: the program the debugger starts, its arguments and directory, and
// whether every exception stops it.
#include "debugger/DebugPage.h"

#include <windows.h>

#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/ResourceIds.h"
#include "base/TextUtil.h"
#include "debugger/DebugOptions.h"
#include "platform/Files.h"
#include "project/Makefile.h"
#include "project/Project.h"

namespace {

DebuggerPage g_opened;
PageMode g_mode;

void Show(HWND page) {
    g_opened = OpenDebuggerPage(CurrentProject());
    SetItemText(page, IDC_DBG_ARGUMENTS, g_opened.arguments);
    SetItemText(page, IDC_DBG_DIRECTORY, g_opened.directory);
    SetItemText(page, IDC_DBG_EXECUTABLE, g_opened.executable);
    SetChecked(page, IDC_DBG_TRAP, g_opened.trapAll);
    for (int id : {IDC_DBG_ARGUMENTS, IDC_DBG_DIRECTORY, IDC_DBG_EXECUTABLE})
        SendDlgItemMessageA(page, id, EM_LIMITTEXT, kDebugTextSize - 1, 0);
}

bool Apply(HWND page) {
    DebuggerPage values;
    values.arguments = ItemText(page, IDC_DBG_ARGUMENTS);
    values.directory = ItemText(page, IDC_DBG_DIRECTORY);
    values.executable = ItemText(page, IDC_DBG_EXECUTABLE);
    values.trapAll = IsChecked(page, IDC_DBG_TRAP);
    ProjectRecord *project = CurrentProject();
    if (!ApplyDebuggerPage(project, values, g_opened))
        return false;
    if (project && g_mode != kPageSheet)
        project->changed = true;
    return true;
}

const PageHandlers kHandlers = {Show, Apply, nullptr};

} // namespace

DebuggerPage OpenDebuggerPage(ProjectRecord *project) {
    DebuggerPage page;
    page.arguments = g_debugOptions.arguments;
    page.directory = g_debugOptions.directory;
    page.executable = g_debugOptions.program;
    page.trapAll = (g_debugOptions.flags & kDebugTrapExceptions) != 0;
    if (project) {
        page.arguments = project->debuggerArguments;
        if (!project->debugDir.empty())
            page.directory = project->debugDir;
        if (!project->debugExe.empty())
            page.executable = project->debugExe;
    }
    if (page.executable.empty() && project) {
        page.executable = ProjectExecutable(*project);
        if (!project->makeDir.empty()) {
            page.executable = InMakeDirectory(*project, page.executable);
            project->debugExe = page.executable;
        }
    }
    return page;
}

bool ApplyDebuggerPage(ProjectRecord *project, const DebuggerPage &page, const DebuggerPage &opened) {
    if (!page.directory.empty() && !IsDirectory(page.directory.c_str())) {
        ErrorBox(FormatMessageId(kStrDirectoryMissing, page.directory.c_str()));
        return false;
    }
    if (page.arguments != opened.arguments) {
        CopyBounded(g_debugOptions.arguments, page.arguments.c_str(), sizeof g_debugOptions.arguments);
        if (project)
            project->debuggerArguments = g_debugOptions.arguments;
    }
    CopyBounded(g_debugOptions.directory, page.directory.c_str(), sizeof g_debugOptions.directory);
    CopyBounded(g_debugOptions.program, page.executable.c_str(), sizeof g_debugOptions.program);
    if (project) {
        project->debugDir = g_debugOptions.directory;
        project->debugExe = g_debugOptions.program;
    }
    if (page.trapAll)
        g_debugOptions.flags |= kDebugTrapExceptions;
    else
        g_debugOptions.flags &= ~kDebugTrapExceptions;
    return true;
}

PROPSHEETPAGEA DebuggerPageSheet(PageMode mode) {
    g_mode = mode;
    return MakePage(IDD_PAGE_DEBUGGER, mode == kPageSheet ? nullptr : kWizardTitle, &kHandlers, mode);
}
