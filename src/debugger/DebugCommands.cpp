#include "debugger/DebugCommands.h"

#include <windows.h>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/Commands.h"
#include "base/CommandIds.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/ResourceIds.h"
#include "debugger/DebugOptions.h"
#include "project/ToolCommands.h"
#include "ui/Dialogs.h"

namespace {

INT_PTR CALLBACK ExecuteProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_PROGRAM, g_debugOptions.program);
        SetDlgItemTextA(dialog, IDC_ARGUMENTS, g_debugOptions.arguments);
        SetDlgItemTextA(dialog, IDC_START_DIRECTORY, g_debugOptions.directory);
        CheckRadioButton(dialog, IDC_LANGUAGE_C, IDC_LANGUAGE_EIFFEL, IDC_LANGUAGE_C);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            char program[400], arguments[400], directory[400];
            GetDlgItemTextA(dialog, IDC_PROGRAM, program, sizeof program);
            GetDlgItemTextA(dialog, IDC_ARGUMENTS, arguments, sizeof arguments);
            GetDlgItemTextA(dialog, IDC_START_DIRECTORY, directory, sizeof directory);
            if (!StartProgram(program, arguments, directory, true)) {
                ErrorBox(FormatMessageId(kStrDirectoryMissing, directory));
                return TRUE;
            }
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void ExecuteCommand(int, intptr_t) {
    RunDialog(ExecuteProc, IDD_EXECUTE, 0);
}

// Ctrl+F5: the project's program, or the one named for the debugger.
void ExecuteProgramCommand(int, intptr_t) {
    if (!g_debugOptions.program[0])
        return;
    StartProgram(g_debugOptions.program, g_debugOptions.arguments, g_debugOptions.directory, false);
}

} // namespace

void RegisterDebugCommands() {
    RegisterHandler(IDM_EXECUTE, ExecuteCommand);
    RegisterHandler(IDM_EXECUTE_PROJECT, ExecuteProgramCommand);
}
