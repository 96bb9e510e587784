// The "Debugger" page of the configuration sheet: what the debugger starts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "project/ConfigDialogs.h"

struct ProjectRecord;

struct DebuggerPage {
    std::string arguments, directory, executable;
    bool trapAll = false;
};

// The debugger's settings; an empty program shows the project's executable (and becomes the
// program when the project has a make directory).
DebuggerPage OpenDebuggerPage(ProjectRecord *project);
// Stores the page in the debugger's settings and the open project (`opened` is what the page
// showed: a value left as it was does not overwrite what another page changed). False, with
// the reason shown, when the start directory does not exist.
bool ApplyDebuggerPage(ProjectRecord *project, const DebuggerPage &page, const DebuggerPage &opened);

PROPSHEETPAGEA DebuggerPageSheet(PageMode mode);
