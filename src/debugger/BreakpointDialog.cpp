// "Edit breakpoints": choose an image (the executable or a DLL), then one of its functions,
// and Add puts a breakpoint on it; or type "source line" in the new-breakpoint field. Erase
// and Clear all take the user's breakpoints out of the program, and out of the editor's
// breakpoint lines. A running program is held while the dialog is open.
#include "debugger/BreakpointDialog.h"

#include <windows.h>

#include <string>
#include <vector>

#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/DebugIds.h"
#include "debugger/BreakpointList.h"
#include "debugger/DebugRun.h"
#include "editor/BreakpointLines.h"
#include "editor/Document.h"
#include "ui/Dialogs.h"

namespace {

struct BreakpointDialog {
    DebugEngine *engine = nullptr;
    std::vector<ImageFunction> functions;   // of the chosen image, as listed
    std::vector<UserBreakpoint> listed;
    std::string filled;                     // what choosing a function put in the new-breakpoint field
};
BreakpointDialog g_dialog;

void AddItem(HWND list, UINT message, const std::string &text) {
    SendMessageA(list, message, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The editor's breakpoint of a line: the mark of an open file's line, or its remembered entry.
void MarkLine(const MarkedLine &marked, bool on) {
    if (marked.path.empty() || !marked.line)
        return;
    if (on)
        RememberBreakpoint(marked.path.c_str(), static_cast<int>(marked.line));
    else
        ForgetBreakpoint(marked.path.c_str(), static_cast<int>(marked.line));
    for (View *view = g_editor ? g_editor->views : nullptr; view; view = view->next)
        if (view->window)
            InvalidateRect(view->window, nullptr, FALSE);
}

// Scrolls sideways only as far as the widest item needs.
void FitWidth(HWND list, const std::vector<std::string> &texts) {
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const std::string &text : texts) {
        SIZE size = {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = size.cx > widest ? size.cx : widest;
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
}

void FillBreakpoints(HWND dialog, uint32_t select) {
    HWND list = GetDlgItem(dialog, IDC_BREAK_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    g_dialog.listed = UserBreakpoints(*g_dialog.engine);
    std::vector<std::string> texts;
    for (size_t i = 0; i < g_dialog.listed.size(); i++) {
        texts.push_back(g_dialog.listed[i].text);
        AddItem(list, LB_ADDSTRING, texts.back());
        if (select && g_dialog.listed[i].address == select)
            SendMessageA(list, LB_SETCURSEL, i, 0);
    }
    FitWidth(list, texts);
    EnableWindow(GetDlgItem(dialog, IDC_BREAK_CLEAR), !g_dialog.listed.empty());
    EnableWindow(GetDlgItem(dialog, IDC_BREAK_ERASE), SendMessageA(list, LB_GETCURSEL, 0, 0) >= 0);
}

void FillFunctions(HWND dialog) {
    LRESULT image = SendDlgItemMessageA(dialog, IDC_BREAK_MODULES, CB_GETCURSEL, 0, 0);
    HWND list = GetDlgItem(dialog, IDC_BREAK_FUNCTIONS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    g_dialog.functions = image >= 0 ? ImageFunctions(g_dialog.engine->info, static_cast<size_t>(image))
                                    : std::vector<ImageFunction>();
    std::vector<std::string> names;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const ImageFunction &function : g_dialog.functions) {
        names.push_back(function.name);
        AddItem(list, LB_ADDSTRING, function.name);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    FitWidth(list, names);
    SetDlgItemTextA(dialog, IDC_BREAK_ADDRESS, "");
}

const ImageFunction *ChosenFunction(HWND dialog) {
    LRESULT row = SendDlgItemMessageA(dialog, IDC_BREAK_FUNCTIONS, LB_GETCURSEL, 0, 0);
    return row >= 0 && static_cast<size_t>(row) < g_dialog.functions.size() ? &g_dialog.functions[static_cast<size_t>(row)]
                                                                              : nullptr;
}

void FunctionChosen(HWND dialog) {
    const ImageFunction *function = ChosenFunction(dialog);
    if (!function)
        return;
    const DebugInfo &info = g_dialog.engine->info;
    uint32_t address = FunctionAddress(info, *function);
    SetDlgItemTextA(dialog, IDC_BREAK_ADDRESS, AddressDescription(info, address).c_str());
    g_dialog.filled = SourceLineOf(info, address);
    SetDlgItemTextA(dialog, IDC_BREAK_NEW, g_dialog.filled.c_str());
}

// A line the user typed in the field goes in as a line breakpoint; otherwise the chosen
// function gets one.
void Add(HWND dialog) {
    DebugEngine &engine = *g_dialog.engine;
    char typed[400] = "";
    GetDlgItemTextA(dialog, IDC_BREAK_NEW, typed, sizeof typed);
    std::string text = typed;
    bool blank = text.find_first_not_of(" \t") == std::string::npos;
    const ImageFunction *function = ChosenFunction(dialog);
    if (!blank && (!function || text != g_dialog.filled)) {
        MarkedLine marked;
        if (AddSourceBreakpoint(engine, text, &marked)) {
            MarkLine(marked, true);
            FillBreakpoints(dialog, 0);
        }
        return;
    }
    if (!function) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    uint32_t address = FunctionAddress(engine.info, *function);
    if (AddAddressBreakpoint(engine, address) != kBreakpointFailed)
        FillBreakpoints(dialog, address);
}

void Unmark(const std::vector<MarkedLine> &lines) {
    for (const MarkedLine &line : lines)
        MarkLine(line, false);
}

void Erase(HWND dialog) {
    LRESULT row = SendDlgItemMessageA(dialog, IDC_BREAK_LIST, LB_GETCURSEL, 0, 0);
    if (row < 0 || static_cast<size_t>(row) >= g_dialog.listed.size())
        return;
    std::vector<MarkedLine> unmarked;
    EraseUserBreakpoint(*g_dialog.engine, g_dialog.listed[static_cast<size_t>(row)], &unmarked);
    Unmark(unmarked);
    FillBreakpoints(dialog, 0);
}

void ClearAll(HWND dialog) {
    std::vector<MarkedLine> unmarked;
    ClearUserBreakpoints(*g_dialog.engine, &unmarked);
    Unmark(unmarked);
    FillBreakpoints(dialog, 0);
}

INT_PTR CALLBACK BreakpointsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        HWND modules = GetDlgItem(dialog, IDC_BREAK_MODULES);
        for (const std::string &name : BreakpointImages(g_dialog.engine->info))
            AddItem(modules, CB_ADDSTRING, name);
        SendMessageA(modules, CB_SETCURSEL, 0, 0);
        RECT r = {};
        GetWindowRect(GetDlgItem(dialog, IDC_BREAK_ADDRESS), &r);   // a dropped list as wide as the dialog
        SendMessageA(modules, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(r.right - r.left), 0);
        FillFunctions(dialog);
        FillBreakpoints(dialog, 0);
        return TRUE;
    }
    case WM_COMMAND:
        // The run ended meanwhile (a command the frame took while the dialog was open).
        if (CurrentEngine() != g_dialog.engine && LOWORD(wParam) != IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        switch (LOWORD(wParam)) {
        case IDC_BREAK_MODULES:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                FillFunctions(dialog);
            return TRUE;
        case IDC_BREAK_FUNCTIONS:
            if (HIWORD(wParam) == LBN_SELCHANGE)
                FunctionChosen(dialog);
            else if (HIWORD(wParam) == LBN_DBLCLK)
                Add(dialog);
            return TRUE;
        case IDC_BREAK_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE)
                EnableWindow(GetDlgItem(dialog, IDC_BREAK_ERASE), TRUE);
            return TRUE;
        case IDC_BREAK_ADD:
            Add(dialog);
            return TRUE;
        case IDC_BREAK_ERASE:
            Erase(dialog);
            return TRUE;
        case IDC_BREAK_CLEAR:
            ClearAll(dialog);
            return TRUE;
        }
        break;
    }
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

// Only while a program is debugged (the item is greyed otherwise); a running one is held
// meanwhile, so that the lists and its code stay still.
void BreakpointsCommand(int, intptr_t) {
    DebugEngine *engine = CurrentEngine();
    if (!engine || !engine->active || !engine->process)
        return;
    DebuggeeHold hold;
    if (!HoldDebuggee(*engine, &hold))
        return;
    g_dialog = BreakpointDialog();
    g_dialog.engine = engine;
    RunDialog(BreakpointsProc, IDD_EDIT_BREAKPOINTS, 0);
    bool same = CurrentEngine() == g_dialog.engine;
    g_dialog = BreakpointDialog();
    if (same)
        ReleaseDebuggee(*engine, hold);
}

}  // namespace

void RegisterBreakpointsCommand() { RegisterHandler(IDM_BREAKPOINTS, BreakpointsCommand); }
