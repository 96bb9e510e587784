// The frame's own commands: closing windows and the program, arranging the windows, help and
// the about box, and the questions before everything closes. The features' commands are
// registered here too, each by its owner.
#include "app/Frame.h"

#include <windows.h>
#include <time.h>

#include <initializer_list>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/Commands.h"
#include "base/CommandIds.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/ResourceIds.h"
#include "base/TextUtil.h"
#include "browse/Brackets.h"
#include "cms/DiffView.h"
#include "debugger/BreakpointDialog.h"
#include "debugger/DebugCommands.h"
#include "debugger/DebugRun.h"
#include "editor/Document.h"
#include "editor/EditorCommands.h"
#include "editor/EditorWindow.h"
#include "editor/SearchDialogs.h"
#include "platform/UiPort.h"
#include "project/ProjectCommands.h"
#include "project/ToolCommands.h"
#include "ui/Dialogs.h"

namespace {

void ExitProgram() { PostMessageA(g_app->frameWindow, WM_CLOSE, 0, 0); }

void CloseCommand(int, intptr_t) {
    if (HWND active = ActiveEditorWindow())
        SendMessageA(active, WM_CLOSE, 0, 0);
}

void ExitCommand(int, intptr_t) { ExitProgram(); }

void CloseAllCommand(int, intptr_t) { CloseAllEditorWindows(); }

void WindowCommand(int command, intptr_t) {
    UINT message = command == IDM_CASCADE ? WM_MDICASCADE
                   : command == IDM_TILE  ? WM_MDITILE
                                          : WM_MDIICONARRANGE;
    SendMessageA(g_app->mdiClient, message, 0, 0);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

void AboutCommand(int, intptr_t) {
    RunDialog(AboutProc, IDD_ABOUT, 0);
}

// The link date from the program file's header.
void VersionCommand(int, intptr_t) {
    HMODULE module = GetModuleHandleA(nullptr);
    const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(module);
    const IMAGE_NT_HEADERS *nt =
        reinterpret_cast<const IMAGE_NT_HEADERS *>(reinterpret_cast<const char *>(module) + dos->e_lfanew);
    time_t linked = static_cast<time_t>(nt->FileHeader.TimeDateStamp);
    char date[64];
    CopyBounded(date, ctime(&linked), sizeof date);
    InfoBox(FormatScratch("Kelto %s\nCompiled %s", "0.1", date));
}

// Two windows side by side.
void DispositionCommand(int, intptr_t) { SendMessageA(g_app->mdiClient, WM_MDITILE, MDITILE_VERTICAL, 0); }

// F1: the Windows API help on the word under the cursor.
void WordHelpCommand(int, intptr_t) {
    char word[100];
    WordAtCursor(word, sizeof word);
    g_app->helpUsed = true;
    if (word[0])
        WinHelpA(g_app->frameWindow, g_app->helpDatabase, HELP_KEY, reinterpret_cast<ULONG_PTR>(word));
    else
        WinHelpA(g_app->frameWindow, g_app->helpDatabase, HELP_CONTENTS, 0);
}

void HelpIndexCommand(int, intptr_t) {
    g_app->helpUsed = true;
    WinHelpA(g_app->frameWindow, g_app->helpFile[0] ? g_app->helpFile : "kelto.hlp", HELP_CONTENTS, 0);
}

void WindowsHelpCommand(int, intptr_t) {
    g_app->helpUsed = true;
    WinHelpA(g_app->frameWindow, g_app->helpDatabase, HELP_CONTENTS, 0);
}

} // namespace

void RegisterStandardHandlers() {
    RegisterEditorCommands();
    RegisterSearchCommands();
    RegisterToolCommands();
    RegisterProjectCommands();
    RegisterDebugCommands();
    RegisterEngineCommands();
    RegisterBreakpointsCommand();
    RegisterMenuCommands();
    RegisterConfigurationCommand();
    RegisterDiffCommands();
    RegisterBracketCommand();
    RegisterHandler(IDM_CLOSE, CloseCommand);
    RegisterHandler(IDM_EXIT, ExitCommand);
    RegisterHandler(IDM_CLOSE_ALL, CloseAllCommand);
    for (int command : {IDM_CASCADE, IDM_TILE, IDM_ARRANGE_ICONS})
        RegisterHandler(command, WindowCommand);
    RegisterHandler(IDM_ABOUT, AboutCommand);
    RegisterHandler(IDM_VERSION, VersionCommand);
    RegisterHandler(IDM_HELP_INDEX, HelpIndexCommand);
    RegisterHandler(IDM_DISPOSITION, DispositionCommand);
    RegisterHandler(IDM_WORD_HELP, WordHelpCommand);
    RegisterHandler(IDM_WINDOWS_API_HELP, WindowsHelpCommand);
}

bool QueryCloseAll() { return SaveModifiedDocuments(); }

bool CloseAllEditorWindows() {
    if (g_app->debugging && !ConfirmMessage(kStrEndDebugging))
        return false;
    if (!QueryCloseAll())
        return false;   // Cancel: the run goes on too
    StopDebugging();
    // Everything has been asked about: the windows close without a further question.
    for (Document *doc = g_editor->documents; doc; doc = doc->next)
        doc->flags &= ~kDocModified;
    View *view = g_editor->views;
    while (view) {
        View *next = view->next;
        if (view->window) {
            HWND window = view->window;
            SendMessageA(window, WM_CLOSE, 0, 0);
            next = g_editor->views;   // the list changed
            bool still = false;
            for (View *v = g_editor->views; v; v = v->next)
                still = still || v->window == window;
            if (still)
                return false;
        }
        view = next;
        while (view && !view->window)
            view = view->next;
    }
    return true;
}
