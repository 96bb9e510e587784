#include "app/Frame.h"

#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <initializer_list>

#include "app/Dispatch.h"
#include "app/KeyTable.h"
#include "app/SettingsLoad.h"
#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/ResourceIds.h"
#include "base/TextUtil.h"
#include "debugger/DebugOptions.h"
#include "editor/Autosave.h"
#include "editor/Bookmarks.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorHooks.h"
#include "editor/EditorInput.h"
#include "editor/EditorWindow.h"
#include "editor/Language.h"
#include "editor/SearchDialogs.h"
#include "platform/Files.h"
#include "platform/UiPort.h"
#include "project/Utilities.h"
#include "settings/Settings.h"
#include "ui/OutputWindow.h"

namespace {

enum {
    kFirstWindowItem = 30000,   // the MDI client numbers its window list from here
    kMaxBarMenus = 16,
    kSharedBlockSize = 4096,
    kSharedMapped = 1024,
};

char *g_closed[kClosedFileCount];
HANDLE g_sharedMapping;
char *g_sharedView;
int g_fileMenuFixedItems = -1;   // items of the File menu before the closed files

// The menu bar's submenus the frame changes, found when the frame was created: a maximised
// editor window later puts its system menu in front of them.
HMENU g_fileMenu, g_compilerMenu, g_utilsMenu, g_windowMenu, g_helpMenu;
// Every submenu of the menu bar, for enabling their items.
HMENU g_barMenus[kMaxBarMenus];

// The submenu of `bar` that holds `command`, itself or in one of its own submenus (a search
// by command looks into those too).
HMENU SubmenuHolding(HMENU bar, UINT command) {
    int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; i++) {
        HMENU submenu = GetSubMenu(bar, i);
        if (!submenu)
            continue;
        if (GetMenuState(submenu, command, MF_BYCOMMAND) != static_cast<UINT>(-1))
            return submenu;
    }
    return nullptr;
}

bool HasDocument() { return g_editor && g_editor->doc && !(g_editor->doc->flags & kDocNoFile); }

// The identifier at the cursor of the current view (empty when there is none).
void WordAtCursor(char *word, int size) {
    word[0] = '\0';
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || !view->doc || IsSentinel(view->doc, view->current))
        return;
    const Line *line = view->current;
    int start = view->column, end = view->column;
    while (start > 0 && IsIdentifierChar(line->text[start - 1]))
        start--;
    while (end < line->length && IsIdentifierChar(line->text[end]))
        end++;
    int n = end - start < size - 1 ? end - start : size - 1;
    memcpy(word, line->text + start, n);
    word[n] = '\0';
}

// A key the user gave to a command without a menu item of its own shows on the dynamic item.
void AddExtraShortcut(char *text, size_t size, int command) {
    for (unsigned short row : g_app->extraShortcuts) {
        if (row == 0 || row >= CommandRowCount() || g_commandTable[row].command != command)
            continue;
        char shortcut[40];
        ShortcutName(g_commandTable[row].key, g_commandTable[row].modifiers, shortcut, sizeof shortcut);
        size_t n = strlen(text);
        snprintf(text + n, size - n, "\t%s", shortcut);
        return;
    }
}

// ---- Closing ----

void ExitProgram() { PostMessageA(g_app->frameWindow, WM_CLOSE, 0, 0); }

// ---- Commands of the frame ----

void NewFile(int, intptr_t) {
    char name[kMaxPathLength + 1] = "";
    if (!CurrentUiPort()->AskText("Name?", name, sizeof name) || !name[0])
        return;
    // A new file is known by its full path, wherever the current directory goes later.
    char full[MAX_PATH];
    if (!_fullpath(full, name, sizeof full)) {
        IncorrectFileName(name);
        return;
    }
    OpenPath(full);
}

void OpenFile(int, intptr_t) {
    char path[kMaxPathLength + 1] = "";
    if (CurrentUiPort()->AskFileName(false, "Open", "C sources\0*.c;*.h\0All files\0*.*\0", path, sizeof path))
        OpenPath(path);
}

void SaveFile(int command, intptr_t) {
    switch (command) {
    case IDM_SAVE: SaveDocument(); break;
    case IDM_SAVE_AS: SaveAs(); break;
    case IDM_SAVE_ALL: SaveAll(); break;
    case IDM_RELOAD: ReloadDocument(); break;
    }
    if (g_editor->view)
        RefreshEditorWindow(g_editor->view);
}

void InsertFileCommand(int, intptr_t) {
    char path[kMaxPathLength + 1] = "";
    if (CurrentUiPort()->AskFileName(false, "Insert a file", "All files\0*.*\0", path, sizeof path)) {
        UpperCase(path);
        InsertFile(path);
        if (g_editor->view)
            RefreshEditorWindow(g_editor->view);
    }
}

void EditorCommand(int command, intptr_t) {
    EditCommand(command);
    if (g_editor->view) {
        RefreshEditorWindow(g_editor->view);
        if (g_editor->view->window)
            InvalidateRect(g_editor->view->window, nullptr, FALSE);
    }
}

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

void ClosedFileCommand(int command, intptr_t) {
    int index = command - IDM_FIRST_CLOSED_FILE;
    const char *path = ClosedFile(index);
    if (!path)
        return;
    char copy[kMaxPathLength + 1];
    CopyBounded(copy, path, sizeof copy);
    // Taken off the list, then opened.
    Release(g_closed[index]);
    for (int i = index; i + 1 < kClosedFileCount; i++)
        g_closed[i] = g_closed[i + 1];
    g_closed[kClosedFileCount - 1] = nullptr;
    OpenPath(copy);
    UpdateDynamicMenus();
}

// Starts "program arguments" in `directory` (when one is given), the current directory being
// restored afterwards, and reports a program that does not start. A directory that cannot be
// entered stops it when `requireDirectory`; otherwise it starts in the current directory.
bool StartProgram(const char *program, const char *arguments, const char *directory, bool requireDirectory) {
    char saved[400] = "";
    CurrentDirectory(saved, sizeof saved);
    bool moved = directory && directory[0] && SetDirectory(directory) == 0;
    if (directory && directory[0] && !moved && requireDirectory)
        return false;
    char commandLine[1100];
    snprintf(commandLine, sizeof commandLine, "%s %s", program, arguments);
    UINT started = WinExec(commandLine, SW_SHOWNORMAL);
    if (moved)
        SetDirectory(saved);
    if (started < 32)
        ErrorBox(FormatScratch("Impossible to start %s", program));
    return true;
}

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
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_EXECUTE), g_app->frameWindow,
                    ExecuteProc, 0);
}

// Ctrl+F5: the project's program, or the one named for the debugger.
void ExecuteProgramCommand(int, intptr_t) {
    if (!g_debugOptions.program[0])
        return;
    StartProgram(g_debugOptions.program, g_debugOptions.arguments, g_debugOptions.directory, false);
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
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), g_app->frameWindow, AboutProc, 0);
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

// Properties of the file (Shift+Esc).
void PropertiesCommand(int, intptr_t) {
    if (!HasDocument())
        return;
    FileInfoTexts info;
    GetFileInfoTexts(&info);
    char text[800];
    snprintf(text, sizeof text, "%s\n%s\n%s\n%s%s%s%s", info.position, info.size, info.marks, info.language,
             info.modified ? "\nDocument modified" : "", info.date[0] ? "\n" : "", info.date);
    CurrentUiPort()->ShowBox(kOwnerFrame, text, info.title, kBoxIconAsterisk);
}

// Lines and bytes of each loaded file.
void StatisticsCommand(int, intptr_t) {
    char text[2000] = "";
    size_t used = 0;
    long totalLines = 0, totalBytes = 0;
    for (Document *doc = g_editor->documents; doc; doc = doc->next) {
        if (doc->flags & kDocNoFile)
            continue;
        long bytes = 0;
        for (Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next)
            bytes += line->length + 2;
        totalLines += doc->lineCount;
        totalBytes += bytes;
        char path[kMaxPathLength + 1];
        CopyBounded(path, doc->path, sizeof path);
        LowerCase(path);
        if (used < sizeof text)
            used += snprintf(text + used, sizeof text - used, "%s: %ld lines, %ld bytes\n", path, doc->lineCount, bytes);
    }
    if (used < sizeof text)
        snprintf(text + used, sizeof text - used, "Total: %ld lines, %ld bytes", totalLines, totalBytes);
    InfoBox(text);
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

// A user tool: its program with its arguments, in its start directory.
void ToolCommand(int command, intptr_t) {
    for (Utility *tool = g_utilities; tool; tool = tool->next) {
        if (tool->id != command)
            continue;
        StartProgram(tool->program, tool->arguments, tool->startDirectory, false);
        return;
    }
}

// The external command interface: open a file, go to (or add) a function, the frame's client
// size.
LRESULT ExternalCommand(int command) {
    char text[kSharedMapped];
    if (g_sharedView) {
        memcpy(text, g_sharedView, sizeof text - 1);
        text[sizeof text - 1] = '\0';
    } else {
        text[0] = '\0';
    }
    switch (command) {
    case IDM_EXTERNAL_OPEN_FILE:
        if (text[0] && OpenPath(text)) {
            if (HWND active = ActiveEditorWindow())
                SendMessageA(g_app->mdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(active), 0);
        }
        return 1;
    case IDM_EXTERNAL_GOTO_FUNCTION: {
        if (!HasDocument() || !text[0])
            return 0;
        // No function list knows the header yet: it is added at the end of the document.
        char *end = strchr(text, ';');
        if (end)
            *end = '\0';
        GotoEnd();
        char block[kSharedMapped + 8];
        snprintf(block, sizeof block, "%s\n{\n}\n", text);
        InsertText(block, static_cast<long>(strlen(block)));
        if (g_editor->view->window)
            InvalidateRect(g_editor->view->window, nullptr, FALSE);
        return 1;
    }
    case IDM_EXTERNAL_CLIENT_SIZE: {
        RECT client;
        GetClientRect(g_app->frameWindow, &client);
        return (client.bottom - client.top) * 65536 + (client.right - client.left);
    }
    }
    return 0;
}

void StatusHelp(WPARAM wParam, LPARAM lParam) {
    UINT item = LOWORD(wParam);
    UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF && !lParam) {
        ShowMenuHelp("");
    } else if (!(flags & (MF_POPUP | MF_GRAYED | MF_DISABLED | MF_SEPARATOR))) {
        if (item >= IDM_FIRST_TOOL && item <= IDM_LAST_TOOL) {
            for (Utility *tool = g_utilities; tool; tool = tool->next)
                if (tool->id == item)
                    ShowMenuHelp(FormatMessageId(kStrExecuteTool, tool->program, tool->arguments));
        } else {
            const char *text = GetString(item == IDM_HELP_INDEX ? kStrHelpIndexHelp
                                                                : static_cast<int>(item) + kStrMenuHelpBase);
            ShowMenuHelp(*text ? FormatScratch("%s.", text) : "");
        }
    } else {
        ShowMenuHelp("");
    }
}

void EnableItems(HMENU menu) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            EnableItems(sub);
            continue;
        }
        UINT id = GetMenuItemID(menu, i);
        // The MDI window list and the system commands belong to Windows.
        if (id == 0 || id == static_cast<UINT>(-1) || id >= kFirstWindowItem)
            continue;
        bool enabled = CommandAvailable(static_cast<int>(id)) ||
                       (id >= IDM_FIRST_CLOSED_FILE && id < IDM_FIRST_CLOSED_FILE + kClosedFilesShown) ||
                       (id >= IDM_FIRST_TOOL && id <= IDM_LAST_TOOL);
        EnableMenuItem(menu, i, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND client = g_app ? g_app->mdiClient : nullptr;
    switch (message) {
    case WM_CREATE: {
        HMENU bar = GetMenu(window);
        for (int i = 0; i < GetMenuItemCount(bar) && i < kMaxBarMenus; i++)
            g_barMenus[i] = GetSubMenu(bar, i);
        g_fileMenu = SubmenuHolding(bar, IDM_FILE_NEW);
        g_compilerMenu = SubmenuHolding(bar, IDM_MAKE);
        g_utilsMenu = SubmenuHolding(bar, IDM_EXECUTE);
        g_windowMenu = SubmenuHolding(bar, IDM_CASCADE);
        g_helpMenu = SubmenuHolding(bar, IDM_HELP_INDEX);
        CLIENTCREATESTRUCT create = {};
        create.hWindowMenu = g_windowMenu;
        create.idFirstChild = kFirstWindowItem;
        HWND mdi = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                   WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, 0,
                                   0, window, nullptr, GetModuleHandleA(nullptr), &create);
        if (g_app)
            g_app->mdiClient = mdi;
        DragAcceptFiles(window, TRUE);
        return 0;
    }
    case WM_SIZE:
    case kMsgLayout:
        LayoutFrame();
        return 0;
    case WM_MENUSELECT:
        StatusHelp(wParam, lParam);
        return 0;
    case WM_INITMENU:
        UpdateMenus();
        return 0;
    case WM_MENUCHAR: {
        int letter = LOWORD(wParam);
        if (letter >= 'a' && letter <= 'z')
            letter -= 'a' - 'A';
        for (const CommandRow *row = g_commandTable; row->command; row++) {
            if (row->key == letter) {
                PostMessageA(window, WM_COMMAND, row->command, 0);
                return MAKELRESULT(0, MNC_CLOSE);
            }
        }
        break;
    }
    case WM_GETMINMAXINFO: {
        MINMAXINFO *info = reinterpret_cast<MINMAXINFO *>(lParam);
        info->ptMaxTrackSize.x = GetSystemMetrics(SM_CXVIRTUALSCREEN) + 2 * GetSystemMetrics(SM_CXFRAME);
        info->ptMaxTrackSize.y = GetSystemMetrics(SM_CYVIRTUALSCREEN) + 2 * GetSystemMetrics(SM_CYFRAME);
        return 0;
    }
    case WM_COMMAND: {
        int command = LOWORD(wParam);
        if (command >= IDM_EXTERNAL_OPEN_FILE && command <= IDM_EXTERNAL_CLIENT_SIZE)
            return ExternalCommand(command);
        if (command == IDM_CLOSE_ALL) {
            CloseAllEditorWindows();
            return 0;
        }
        if (DispatchCommand(command, lParam))
            return 0;
        break;
    }
    case kMsgPostedCommand:
        DispatchCommand(static_cast<int>(wParam), lParam);
        return 0;
    case kMsgKeyForEditor:
        KeyDown(static_cast<int>(wParam), 1, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_MENU) < 0,
                GetKeyState(VK_SHIFT) < 0);
        return 0;
    case kMsgCheckFiles:
        CheckFilesChangedOnDisk();
        return 0;
    case kMsgAutosaveRound:
        AutosaveRound();
        return 0;
    case kMsgBuildProgress:
        if (g_app->waitingForBuild && g_app->outputWindow)
            return SendMessageA(g_app->outputWindow, message, wParam, lParam);
        return 0;
    case kMsgStartDebugging:
        StartDebugging(g_debugOptions.program);
        return 0;
    case WM_SETFOCUS: {
        HWND from = reinterpret_cast<HWND>(wParam);
        if (!from || !IsChild(window, from))
            PostMessageA(window, kMsgCheckFiles, 0, 0);
        break;
    }
    case WM_ACTIVATEAPP:
        if (wParam)
            ImportClipboard(window);
        else
            ExportClipboard(window);
        break;
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = count; i-- > 0;) {
            char path[MAX_PATH];
            if (DragQueryFileA(drop, i, path, sizeof path))
                OpenPath(path);
        }
        DragFinish(drop);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_QUERYENDSESSION:
    case WM_CLOSE: {
        // One closing at a time: a second request while the questions are open is ignored.
        static bool closing;
        if (closing)
            return 0;
        closing = true;
        // The open windows stay until the settings have recorded them for the next start.
        bool go = (!g_app->debugging || ConfirmMessage(kStrEndDebugging)) && QueryCloseAll();
        closing = false;
        if (!go)
            return 0;
        WINDOWPLACEMENT placement;
        placement.length = sizeof placement;
        if (GetWindowPlacement(window, &placement)) {
            g_app->frameX = placement.rcNormalPosition.left;
            g_app->frameY = placement.rcNormalPosition.top;
            g_app->frameWidth = placement.rcNormalPosition.right - placement.rcNormalPosition.left;
            g_app->frameHeight = placement.rcNormalPosition.bottom - placement.rcNormalPosition.top;
            // Minimised from maximised still counts as maximised.
            g_app->frameZoomed = IsZoomed(window) || (IsIconic(window) && (placement.flags & WPF_RESTORETOMAXIMIZED));
        }
        SaveAllSettings();
        if (g_app->helpUsed)
            WinHelpA(window, g_app->helpFile, HELP_QUIT, 0);
        DeleteTempFiles();
        if (message == WM_QUERYENDSESSION)
            return 1;
        DestroyWindow(window);
        return 0;
    }
    case WM_DESTROY:
        SetUiOwner(nullptr);
        PostQuitMessage(0);
        return 0;
    }
    return DefFrameProcA(window, client, message, wParam, lParam);
}

} // namespace

bool RegisterWindowClasses(HINSTANCE instance) {
    struct ClassInfo {
        const char *name;
        WNDPROC procedure;
        LPCSTR cursor;
        HBRUSH background;
    };
    HBRUSH application = GetSysColorBrush(COLOR_APPWORKSPACE);
    const ClassInfo classes[] = {
        {"clMDIFrame", FrameProc, IDC_ARROW, application},
        {"clShortDisply", DefWindowProcA, IDC_ARROW, GetSysColorBrush(12)},
        {"clGrClass", DefWindowProcA, IDC_CROSS, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))},
        {"FunctionTree", DefWindowProcA, IDC_ARROW, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))},
        {"PlotObjClass", DefWindowProcA, IDC_ARROW, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))},
        {"bStruct", DefWindowProcA, IDC_ARROW, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))},
        {"FilesToolbar", DefWindowProcA, nullptr, application},
        {"TableCtrlW", DefWindowProcA, IDC_ARROW, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))},
        {"smallTextPopup", DefWindowProcA, IDC_ARROW, GetSysColorBrush(COLOR_INFOBK)},
        {"KeltoOutput", OutputWindowProc, nullptr, GetSysColorBrush(COLOR_BTNFACE)},
    };
    for (const ClassInfo &info : classes) {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS | CS_OWNDC;
        wc.lpfnWndProc = info.procedure;
        wc.cbWndExtra = 40;
        wc.hInstance = instance;
        wc.hCursor = info.cursor ? LoadCursorA(nullptr, info.cursor) : nullptr;
        wc.hbrBackground = info.background;
        wc.lpszClassName = info.name;
        if (strcmp(info.name, "clMDIFrame") == 0) {
            wc.hIcon = LoadIconA(instance, "DOCICON");
            if (!wc.hIcon)
                wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
            wc.lpszMenuName = GetString(kStrFrameMenu);
        }
        if (!RegisterClassA(&wc))
            return false;
    }
    return RegisterEditorWindowClass(instance);
}

void RegisterStandardHandlers() {
    RegisterHandler(IDM_FILE_NEW, NewFile);
    RegisterHandler(IDM_FILE_OPEN, OpenFile);
    for (int command : {IDM_SAVE, IDM_SAVE_AS, IDM_SAVE_ALL, IDM_RELOAD})
        RegisterHandler(command, SaveFile);
    RegisterHandler(IDM_INSERT_FILE, InsertFileCommand);
    static const int kEditing[] = {
        IDM_UNDO, IDM_CUT, IDM_COPY, IDM_PASTE, IDM_EXTEND_DOWN, IDM_GOTO_TOP, IDM_GOTO_END, IDM_COPY_TO_FILE,
        IDM_SET_BOOKMARK, IDM_GOTO_BOOKMARK, IDM_GOTO_NEXT_BOOKMARK, IDM_DELETE_BOOKMARK, IDM_EXTEND_UP,
        IDM_EXTEND_RIGHT, IDM_EXTEND_LEFT, IDM_WORD_RIGHT, IDM_WORD_LEFT, IDM_EXTEND_WORD_RIGHT,
        IDM_EXTEND_DOWN_ROW, IDM_EXTEND_TO_TOP, IDM_EXTEND_TO_END, IDM_EXTEND_LINE_END, IDM_SPACES_TO_TABS,
        IDM_TABS_TO_SPACES, IDM_RECENTER, IDM_EXTEND_LINE_START, IDM_WORD_RIGHT_REPEAT, IDM_WORD_LEFT_REPEAT,
        IDM_EXTEND_PAGE_UP, IDM_EXTEND_PAGE_DOWN, IDM_EXTEND_WORD_LEFT, IDM_COMPLETION,
    };
    for (int command : kEditing)
        RegisterHandler(command, EditorCommand);
    RegisterHandler(IDM_CLOSE, CloseCommand);
    RegisterHandler(IDM_EXIT, ExitCommand);
    RegisterHandler(IDM_CLOSE_ALL, CloseAllCommand);
    for (int command : {IDM_CASCADE, IDM_TILE, IDM_ARRANGE_ICONS})
        RegisterHandler(command, WindowCommand);
    for (int i = 0; i < kClosedFilesShown; i++)
        RegisterHandler(IDM_FIRST_CLOSED_FILE + i, ClosedFileCommand);
    RegisterHandler(IDM_EXECUTE, ExecuteCommand);
    RegisterHandler(IDM_EXECUTE_PROJECT, ExecuteProgramCommand);
    RegisterHandler(IDM_ABOUT, AboutCommand);
    RegisterHandler(IDM_VERSION, VersionCommand);
    RegisterHandler(IDM_HELP_INDEX, HelpIndexCommand);
    RegisterHandler(IDM_PROPERTIES, PropertiesCommand);
    RegisterHandler(IDM_STATISTICS, StatisticsCommand);
    RegisterHandler(IDM_LEVEL, [](int, intptr_t) { ToggleBraceLevel(); });
    RegisterHandler(IDM_DISPOSITION, DispositionCommand);
    RegisterHandler(IDM_WORD_HELP, WordHelpCommand);
    RegisterHandler(IDM_WINDOWS_API_HELP, WindowsHelpCommand);
    for (int command = IDM_FIRST_TOOL; command <= IDM_LAST_TOOL; command++)
        RegisterHandler(command, ToolCommand);
    RegisterSearchCommands();
}

void BuildToolAndHelpItems() {
    HMENU utils = g_utilsMenu;
    if (utils) {
        int position = 1;   // after "Execute..."
        for (Utility *tool = g_utilities; tool; tool = tool->next) {
            if (tool->id < IDM_FIRST_TOOL || tool->id > IDM_LAST_TOOL)
                continue;
            char text[200];
            snprintf(text, sizeof text, "%s\tShift+F%d", tool->nickname, tool->id - IDM_FIRST_TOOL + 1);
            InsertMenuA(utils, position++, MF_BYPOSITION | MF_STRING, tool->id, text);
        }
    }
    HMENU help = g_helpMenu;
    if (help && g_app->helpDatabase[0] && FileExists(g_app->helpDatabase))
        InsertMenuA(help, 1, MF_BYPOSITION | MF_STRING, IDM_WINDOWS_API_HELP, "&Windows API");
    // Keys the user chose are shown in the items.
    HMENU menu = GetMenu(g_app->frameWindow);
    for (int row = 0; menu && row < CommandRowCount(); row++) {
        const CommandRow &r = g_commandTable[row];
        if (!(r.modifiers & kModifierChanged))
            continue;
        if (const char *text = CommandMenuText(r.command))
            ModifyMenuA(menu, r.command, MF_BYCOMMAND | MF_STRING, r.command, text);
    }
}

void LayoutFrame() {
    if (!g_app || !g_app->frameWindow)
        return;
    RECT client;
    GetClientRect(g_app->frameWindow, &client);
    int height = g_app->outputWindow ? OutputWindowHeight(client.bottom) : 0;
    if (height > client.bottom - 20)
        height = client.bottom > 20 ? client.bottom - 20 : 0;
    if (g_app->outputWindow)
        MoveWindow(g_app->outputWindow, 0, client.bottom - height, client.right, height, TRUE);
    if (g_app->mdiClient)
        MoveWindow(g_app->mdiClient, 0, 0, client.right, client.bottom - height, TRUE);
}

void RememberClosedFile(const char *path) {
    char *copy = DupString(path);
    if (!copy)
        return;
    // Newest first; a path already listed moves to the front.
    for (int i = 0; i < kClosedFileCount; i++) {
        if (g_closed[i] && strcmp(g_closed[i], path) == 0) {
            Release(g_closed[i]);
            for (int k = i; k + 1 < kClosedFileCount; k++)
                g_closed[k] = g_closed[k + 1];
            g_closed[kClosedFileCount - 1] = nullptr;
            break;
        }
    }
    Release(g_closed[kClosedFileCount - 1]);
    for (int i = kClosedFileCount - 1; i > 0; i--)
        g_closed[i] = g_closed[i - 1];
    g_closed[0] = copy;
}

const char *ClosedFile(int index) {
    return index >= 0 && index < kClosedFileCount ? g_closed[index] : nullptr;
}

void UpdateDynamicMenus() {
    HMENU file = g_fileMenu;
    if (file) {
        if (g_fileMenuFixedItems < 0)
            g_fileMenuFixedItems = GetMenuItemCount(file);
        while (GetMenuItemCount(file) > g_fileMenuFixedItems)
            DeleteMenu(file, g_fileMenuFixedItems, MF_BYPOSITION);
        char current[400] = "";
        CurrentDirectory(current, sizeof current);
        for (int i = 0; i < kClosedFilesShown && g_closed[i]; i++) {
            if (i == 0)
                AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
            char shown[kMaxPathLength + 420];
            const char *path = g_closed[i];
            if (!strchr(path, '\\'))
                snprintf(shown, sizeof shown, "%s\\%s", current, path);
            else
                CopyBounded(shown, path, sizeof shown);
            if (strlen(shown) > 35) {
                const char *name = strrchr(shown, '\\');
                char shortened[kMaxPathLength + 420];
                snprintf(shortened, sizeof shortened, "%.3s...%s", shown, name ? name : "");
                CopyBounded(shown, shortened, sizeof shown);
            }
            LowerCase(shown);
            AppendMenuA(file, MF_STRING, IDM_FIRST_CLOSED_FILE + i, shown);
        }
    }
    HMENU compiler = g_compilerMenu;
    if (compiler) {
        bool cSource = HasDocument() && (g_editor->doc->flags & kDocCSource);
        if (cSource) {
            const char *name = strrchr(g_editor->doc->path, '\\');
            name = name ? name + 1 : g_editor->doc->path;
            char text[200];
            snprintf(text, sizeof text, GetString(kStrCompileFile), name);
            AddExtraShortcut(text, sizeof text, IDM_COMPILE_FILE);
            if (!ModifyMenuA(compiler, IDM_COMPILE_FILE, MF_BYCOMMAND | MF_STRING, IDM_COMPILE_FILE, text)) {
                static bool separatorAdded;
                if (!separatorAdded) {
                    AppendMenuA(compiler, MF_SEPARATOR, 0, nullptr);
                    separatorAdded = true;
                }
                AppendMenuA(compiler, MF_STRING, IDM_COMPILE_FILE, text);
            }
        } else {
            DeleteMenu(compiler, IDM_COMPILE_FILE, MF_BYCOMMAND);
        }
    }
    if (g_app && g_app->frameWindow)
        DrawMenuBar(g_app->frameWindow);
}

void UpdateMenus() {
    HMENU menu = g_app && g_app->frameWindow ? GetMenu(g_app->frameWindow) : nullptr;
    if (!menu)
        return;
    for (HMENU submenu : g_barMenus)
        if (submenu)
            EnableItems(submenu);
    // ID is checked for a C source that carries a version stamp.
    bool stamped = HasDocument() && (g_editor->doc->flags & kDocCSource) && (g_editor->doc->flags & kDocStampLine);
    CheckMenuItem(menu, IDM_ID, MF_BYCOMMAND | (stamped ? MF_CHECKED : MF_UNCHECKED));
}


bool QueryCloseAll() {
    if (!g_editor)
        return true;
    const char *files[200];
    int count = 0;
    for (Document *doc = g_editor->documents; doc && count < 200; doc = doc->next)
        if ((doc->flags & kDocModified) && !(doc->flags & kDocNoFile))
            files[count++] = doc->path;
    if (count == 0)
        return true;
    int answer = CurrentUiPort()->ShowFileList(IDD_MODIFIED_FILES, files, count);
    if (answer == IDC_FORGET)
        return true;
    if (answer != IDOK)
        return false;
    View *previous = g_editor->view;
    bool saved = true;
    for (Document *doc = g_editor->documents; doc && saved; doc = doc->next) {
        if (!(doc->flags & kDocModified) || (doc->flags & kDocNoFile))
            continue;
        View *view = FirstViewOf(doc);
        if (view)
            MakeCurrent(view);
        else
            g_editor->doc = doc;
        saved = SaveDocument();
    }
    // The document on screen stays the current one, whatever happened.
    if (previous)
        MakeCurrent(previous);
    return saved;
}

bool CloseAllEditorWindows() {
    if (g_app->debugging && !ConfirmMessage(kStrEndDebugging))
        return false;
    if (!QueryCloseAll())
        return false;
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

void ShowContextMenu(HWND window, int x, int y) {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || view->window != window)
        return;
    CancelSelection();
    HMENU menu = CreatePopupMenu();
    Document *doc = view->doc;
    const char *name = strrchr(doc->path, '\\');
    name = name ? name + 1 : doc->path;
    char word[100];
    WordAtCursor(word, sizeof word);
    if (!IsSentinel(doc, view->current)) {
        const Line *line = view->current;
        char under = view->column < line->length ? line->text[view->column] : '\0';
        bool keyword = IsCKeyword(word);
        char text[200];
        if (line->length >= 3 && strncmp(line->text, "#if", 3) == 0)
            AppendMenuA(menu, MF_STRING, IDM_MATCHING_BRACE, GetString(kStrMatchingEndif));
        if (keyword) {
            if (!strcmp(word, "case") || !strcmp(word, "switch") || !strcmp(word, "default"))
                AppendMenuA(menu, MF_STRING, IDM_SEARCH_DEFINITION, GetString(kStrShowCases));
        } else if (word[0] && !(word[0] >= '0' && word[0] <= '9')) {
            snprintf(text, sizeof text, GetString(kStrDefinitionOf), word);
            AppendMenuA(menu, MF_STRING, IDM_SEARCH_DEFINITION, text);
            snprintf(text, sizeof text, GetString(kStrUsageOf), word);
            AppendMenuA(menu, MF_STRING, IDM_SYMBOL_USAGE, text);
            if (g_app->helpDatabase[0] && FileExists(g_app->helpDatabase)) {
                snprintf(text, sizeof text, GetString(kStrDocumentationFor), word);
                AppendMenuA(menu, MF_STRING, IDM_WORD_DOCUMENTATION, text);
            }
            if (g_app->debugging) {
                snprintf(text, sizeof text, GetString(kStrShowValueOf), word);
                AppendMenuA(menu, MF_STRING, IDM_DEBUG_SHOW_VALUE, text);
            }
        }
        if (under == '{' || under == '}')
            AppendMenuA(menu, MF_STRING, IDM_MATCHING_BRACE, GetString(kStrMatchingBrace));
    }
    char text[200];
    snprintf(text, sizeof text, GetString(kStrGlobalsIn), name);
    AppendMenuA(menu, MF_STRING, IDM_SHOW_GLOBALS, text);
    snprintf(text, sizeof text, GetString(kStrFunctionsIn), name);
    AppendMenuA(menu, MF_STRING, IDM_FUNCTIONS_LIST, text);
    snprintf(text, sizeof text, GetString(kStrMetricsFor), name);
    AppendMenuA(menu, MF_STRING, IDM_FILE_METRICS, text);
    snprintf(text, sizeof text, GetString(kStrEditDescriptionOf), name);
    AppendMenuA(menu, MF_STRING, IDM_DESCRIPTION_FILE, text);
    AppendMenuA(menu, MF_STRING, IDM_PROPERTIES, GetString(kStrProperties));
    if (g_app->debugging) {
        AppendMenuA(menu, MF_STRING, IDM_DEBUG_BREAKPOINT, GetString(kStrInsertBreakpoint));
        AppendMenuA(menu, MF_STRING, IDM_DEBUG_RUN_TO_CURSOR, GetString(kStrRunToCursor));
        AppendMenuA(menu, MF_STRING, IDM_DEBUG_SET_NEXT_STATEMENT, GetString(kStrSetNextStatement));
        AppendMenuA(menu, MF_STRING, IDM_DEBUG_EVALUATE, GetString(kStrEvaluateExpression));
    }
    EnableItems(menu);
    int command = TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, g_app->frameWindow, nullptr);
    DestroyMenu(menu);
    if (command > 0)
        PostMessageA(g_app->frameWindow, WM_COMMAND, static_cast<WPARAM>(command), static_cast<LPARAM>(-1));
}

bool OpenSharedBlock() {
    g_sharedMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSharedBlockSize, "kelto");
    if (!g_sharedMapping)
        return false;
    g_sharedView = static_cast<char *>(MapViewOfFile(g_sharedMapping, FILE_MAP_ALL_ACCESS, 0, 0, kSharedMapped));
    return g_sharedView != nullptr;
}

void CloseSharedBlock() {
    if (g_sharedView)
        UnmapViewOfFile(g_sharedView);
    if (g_sharedMapping)
        CloseHandle(g_sharedMapping);
    g_sharedView = nullptr;
    g_sharedMapping = nullptr;
}

char *SharedBlock() { return g_sharedView; }
