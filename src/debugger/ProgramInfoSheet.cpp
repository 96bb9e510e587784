// "Program information" (command 1146): the executable's modules, the threads (a double-click
// stops or resumes one), the DLLs and the debuggee's windows, on four pages. Shown while the
// debuggee is stopped: the debug thread changes the lists while it runs.
#include <windows.h>
#include <commctrl.h>

#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/DebugIds.h"
#include "debugger/DebugRun.h"
#include "debugger/ProgramInfo.h"
#include "platform/UiPort.h"
#include "ui/OutputWindow.h"

namespace {

enum InfoKind { kInfoExecutable, kInfoThreads, kInfoDlls, kInfoWindows };

BOOL CALLBACK AddWindowRow(HWND window, LPARAM rows) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    RECT r = {};
    GetWindowRect(window, &r);
    reinterpret_cast<std::vector<std::string> *>(rows)->push_back(
        FormatText("0x%08x %-15s %4d,%4d,%4d,%4d", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)), name,
                   static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
                   static_cast<int>(r.bottom)));
    return TRUE;
}

BOOL CALLBACK AddTopWindow(HWND window, LPARAM rows) {
    AddWindowRow(window, rows);
    EnumChildWindows(window, AddWindowRow, rows);
    return TRUE;
}

InfoPage WindowsInfo(const DebugEngine &engine) {
    InfoPage page;
    page.rows.push_back(FormatText("%-10s %-15s left top right bottom", "HWND", "Class name"));
    for (const EngineThread &thread : engine.threads)
        EnumThreadWindows(thread.id, AddTopWindow, reinterpret_cast<LPARAM>(&page.rows));
    return page;
}

void Fill(HWND page, InfoKind kind) {
    DebugEngine *engine = CurrentEngine();
    if (!engine)
        return;
    InfoPage info = kind == kInfoExecutable ? ExecutableInfo(*engine)
                    : kind == kInfoThreads  ? ThreadsInfo(*engine)
                    : kind == kInfoDlls     ? DllsInfo(*engine)
                                            : WindowsInfo(*engine);
    SetDlgItemTextA(page, IDC_INFO_PAGE_TEXT, info.text.c_str());
    HWND list = GetDlgItem(page, IDC_INFO_PAGE_LIST);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string &row : info.rows)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    SendMessageA(list, LB_SETHORIZONTALEXTENT, 1600, 0);
}

// A thread's row double-clicked: asked, stopped or resumed, its row rewritten.
void ThreadChosen(HWND page) {
    DebugEngine *engine = CurrentEngine();
    HWND list = GetDlgItem(page, IDC_INFO_PAGE_LIST);
    LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
    LRESULT rows = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (!engine || row < 0)
        return;
    long index = static_cast<long>(row) - static_cast<long>(rows - static_cast<LRESULT>(engine->threads.size()));
    if (index < 0 || index >= static_cast<long>(engine->threads.size()))
        return;
    EngineThread &thread = engine->threads[static_cast<size_t>(index)];
    if (!Confirm(ThreadQuestion(thread).c_str()))
        return;
    ToggleThread(*engine, thread);
    SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(row), 0);
    SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(ThreadRow(thread).c_str()));
}

INT_PTR CALLBACK InfoPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        InfoKind kind = static_cast<InfoKind>(reinterpret_cast<const PROPSHEETPAGEA *>(lParam)->lParam);
        SetWindowLongPtrA(page, DWLP_USER, kind);
        // Nothing to apply: one button, "Close".
        HWND sheet = GetParent(page);
        SetDlgItemTextA(sheet, IDOK, "Close");
        ShowWindow(GetDlgItem(sheet, IDCANCEL), SW_HIDE);
        Fill(page, kind);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_INFO_PAGE_LIST && HIWORD(wParam) == LBN_DBLCLK &&
            GetWindowLongPtrA(page, DWLP_USER) == kInfoThreads)
            ThreadChosen(page);
        return TRUE;
    }
    return FALSE;
}

void ProgramInfoCommand(int, intptr_t) {
    DebugEngine *engine = CurrentEngine();
    if (!engine || !engine->active)
        return;
    if (!engine->stopped) {
        ShowStatus("Program is running");
        return;
    }
    static const int dialogs[] = {IDD_INFO_EXECUTABLE, IDD_INFO_THREADS, IDD_INFO_DLLS, IDD_INFO_WINDOWS};
    PROPSHEETPAGEA pages[4] = {};
    for (int i = 0; i < 4; i++) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].hInstance = GetModuleHandleA(nullptr);
        pages[i].pszTemplate = MAKEINTRESOURCEA(dialogs[i]);
        pages[i].pfnDlgProc = InfoPageProc;
        pages[i].lParam = i;
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hwndParent = GetActiveWindow();
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = "Program information";
    header.nPages = 4;
    header.ppsp = pages;
    ModalScope modal;
    PropertySheetA(&header);
}

}  // namespace

void RegisterProgramInfoCommand() { RegisterHandler(IDM_DEBUG_INFO, ProgramInfoCommand); }
