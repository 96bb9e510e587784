// The output window: the state behind it and its window procedure.
//
// The lines of the list are kept here and mirrored into the list box, so that saving them and
// choosing one work the same with or without a window. The message line shows one text at a
// time; a red or blue text stays for 3 seconds, and while it waits the next four requests
// for the line are passed over (the fifth is shown), so that a burst of position updates
// cannot wipe a warning away at once.
#include "ui/OutputWindow.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/FrameMessages.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "platform/UiPort.h"

namespace {

enum { kMaxButtons = 8, kFirstButtonId = 4810, kIgnoredWhileWaiting = 4, kSizingEdge = 4 };

struct ButtonSet {
    char name[64];
    OutputButton buttons[kMaxButtons];
    int count;
};

struct OutputState {
    char status[256];
    char line[512];
    MessageColour colour = kColourNormal;
    char prefix[256];
    bool waiting = false;   // a coloured text waits for its 3 seconds
    int passed = 0;         // requests passed over while it waits
    std::vector<std::string> lines;
    OutputRoutine routine = nullptr;
    LPARAM data = 0;
    ProgressHandler progress = nullptr;
    ButtonSet sets[2];
    int installed = -1;
    RunState run = kRunNone;
    bool expanded = true;
    HWND list = nullptr;
    HWND toggle = nullptr;
    HWND buttons[kMaxButtons] = {};
};

OutputState g_state = OutputState();
OutputState *g_output = &g_state;

HWND Window() { return g_app ? g_app->outputWindow : nullptr; }

void Redraw() {
    if (HWND window = Window())
        InvalidateRect(window, nullptr, TRUE);
}

void StartTimer() {
    if (HWND window = Window())
        SetTimer(window, kOutMessageTimer, kOutMessageDelay, nullptr);
}

void StopTimer() {
    if (HWND window = Window())
        KillTimer(window, kOutMessageTimer);
}

// One request for the message line; false when it was passed over.
bool ShowOnLine(const char *text, MessageColour colour) {
    if (g_output->waiting && ++g_output->passed <= kIgnoredWhileWaiting)
        return false;
    g_output->passed = 0;
    g_output->waiting = colour != kColourNormal;
    if (g_output->waiting)
        StartTimer();
    else
        StopTimer();
    CopyBounded(g_output->line, text ? text : "", sizeof g_output->line);
    g_output->colour = colour;
    // The window's own text is the line too, for screen readers and whatever else reads it.
    if (HWND window = Window())
        SetWindowTextA(window, g_output->line);
    Redraw();
    return true;
}

int SetIndex(int message) { return message == kOutBuildButtons ? 0 : message == kOutDebugButtons ? 1 : -1; }

} // namespace

void ResetOutputState() {
    StopTimer();
    OutputState fresh = OutputState();
    fresh.list = g_output->list;
    fresh.toggle = g_output->toggle;
    g_state = fresh;
    if (g_state.list)
        SendMessageA(g_state.list, LB_RESETCONTENT, 0, 0);
}

// ---- The message line ----

void ShowStatus(const char *text) {
    CopyBounded(g_output->status, text ? text : "", sizeof g_output->status);
    ShowOnLine(g_output->status, kColourNormal);
}

void ShowMenuHelp(const char *text) {
    ShowOnLine(text && *text ? text : g_output->status, kColourNormal);
}

void ShowRedMessage(const char *text) { ShowOnLine(text, kColourRed); }

void ShowBlueMessage(const char *text) {
    if (!g_output->prefix[0]) {
        ShowOnLine(text, kColourBlue);
        return;
    }
    char joined[512];
    snprintf(joined, sizeof joined, "%s : %s", g_output->prefix, text ? text : "");
    ShowOnLine(joined, kColourBlue);
}

void ClearMessageLine() {
    // Whatever waited for its 3 seconds is gone: the next request is shown at once.
    StopTimer();
    g_output->waiting = false;
    g_output->passed = 0;
    g_output->prefix[0] = '\0';
    g_output->line[0] = '\0';
    g_output->colour = kColourNormal;
    Redraw();
}

void SetMessagePrefix(const char *text) { CopyBounded(g_output->prefix, text ? text : "", sizeof g_output->prefix); }

void MessageTimerExpired() {
    StopTimer();
    if (!g_output->waiting)
        return;
    g_output->waiting = false;
    g_output->passed = 0;
    // The coloured text goes; the line shows the status text again.
    CopyBounded(g_output->line, g_output->status, sizeof g_output->line);
    g_output->colour = kColourNormal;
    Redraw();
}

const char *StatusText() { return g_output->status; }
const char *MessageLineText() { return g_output->line; }
MessageColour MessageLineColour() { return g_output->colour; }

// ---- The list ----

void ClearOutputList() {
    g_output->lines.clear();
    if (g_output->list)
        SendMessageA(g_output->list, LB_RESETCONTENT, 0, 0);
}

void AddOutputLines(const char *text) {
    std::string all = text ? text : "";
    for (size_t start = 0;;) {
        size_t end = all.find('\n', start);
        AddOutputLine(all.substr(start, end - start).c_str());
        if (end == std::string::npos)
            return;
        start = end + 1;
    }
}

bool AddOutputLine(const char *text) {
    g_output->lines.push_back(text ? text : "");
    if (!g_output->list)
        return true;
    LRESULT index = SendMessageA(g_output->list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : ""));
    if (index == LB_ERR || index == LB_ERRSPACE) {
        g_output->lines.pop_back();
        return false;
    }
    // A list filled while the window is collapsed would go unseen.
    if (g_output->lines.size() == 1 && !g_output->expanded)
        SetOutputExpanded(true);
    return true;
}

int OutputLineCount() { return static_cast<int>(g_output->lines.size()); }

const char *OutputLine(int index) {
    if (index < 0 || index >= OutputLineCount())
        return nullptr;
    return g_output->lines[index].c_str();
}

void SetOutputRoutine(OutputRoutine routine, LPARAM data) {
    g_output->routine = routine;
    g_output->data = data;
    if (!routine) {
        ClearOutputList();
        ClearMessageLine();
    }
}

void OutputLineChosen(int index) {
    const char *text = OutputLine(index);
    if (text && g_output->routine)
        g_output->routine(index, text, g_output->data);
}

void SelectOutputLine(int index) {
    if (g_output->list)
        SendMessageA(g_output->list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void ScrollToOutputLine(int index) {
    if (g_output->list)
        SendMessageA(g_output->list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void SetOutputListFont(HFONT font) {
    if (g_output->list)
        SendMessageA(g_output->list, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

bool OutputListFits(const char *text, size_t length) {
    if (!g_output->list)
        return true;
    RECT client;
    GetClientRect(g_output->list, &client);
    int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    HDC dc = GetDC(g_output->list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(g_output->list, WM_GETFONT, 0, 0)));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, static_cast<int>(length), &size);
    SelectObject(dc, old);
    ReleaseDC(g_output->list, dc);
    return size.cx < width;
}

void SetProgressHandler(ProgressHandler handler) { g_output->progress = handler; }

// ---- Buttons and run state ----

namespace {

void LayOut(HWND window);

void CreateButtons(HWND window) {
    for (HWND &button : g_output->buttons) {
        if (button)
            DestroyWindow(button);
        button = nullptr;
    }
    if (!window || g_output->installed < 0)
        return;
    const ButtonSet &set = g_output->sets[g_output->installed];
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < set.count; i++) {
        g_output->buttons[i] = CreateWindowExA(0, "BUTTON", set.buttons[i].text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                               0, 0, 0, 0, window, reinterpret_cast<HMENU>(kFirstButtonId + i),
                                               GetModuleHandleA(nullptr), nullptr);
        SendMessageA(g_output->buttons[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    LayOut(window);
}

} // namespace

void DefineButtonSet(int message, const char *name, const OutputButton *buttons, int count) {
    int index = SetIndex(message);
    if (index < 0)
        return;
    ButtonSet &set = g_output->sets[index];
    CopyBounded(set.name, name ? name : "", sizeof set.name);
    set.count = count < 0 ? 0 : count > kMaxButtons ? kMaxButtons : count;
    for (int i = 0; i < set.count; i++)
        set.buttons[i] = buttons[i];
}

void InstallButtonSet(int message) {
    int index = SetIndex(message);
    if (index < 0)
        return;
    g_output->installed = index;
    CreateButtons(Window());
    Redraw();
}

const char *ButtonSetName() { return g_output->installed < 0 ? "" : g_output->sets[g_output->installed].name; }

void ShowRunState(RunState state) {
    g_output->run = state;
    Redraw();
}

RunState CurrentRunState() { return g_output->run; }

// ---- Collapsed and expanded ----

namespace {

// The text metrics of the bar's font, a stock font that does not change while the program
// runs: measured once.
const TEXTMETRICA &BarFontMetrics() {
    static TEXTMETRICA metrics;
    static bool measured;
    if (!measured) {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        measured = GetTextMetricsA(dc, &metrics) != 0;
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
    }
    return metrics;
}

int BarHeight() {
    int height = BarFontMetrics().tmHeight + 10;
    return height < 20 ? 20 : height;
}

int CharacterWidth() {
    int width = BarFontMetrics().tmAveCharWidth;
    return width > 0 ? width : 6;
}

} // namespace

bool OutputExpanded() { return g_output->expanded; }

void SetOutputExpanded(bool expanded) {
    g_output->expanded = expanded;
    if (g_output->toggle)
        SendMessageA(g_output->toggle, BM_SETCHECK, expanded ? BST_CHECKED : BST_UNCHECKED, 0);
    if (g_app && g_app->frameWindow)
        PostMessageA(g_app->frameWindow, kMsgLayout, 0, 0);
}

int OutputWindowHeight(int clientHeight) {
    int bar = BarHeight();
    if (!g_output->expanded)
        return bar;
    int height = g_app && g_app->outputHeight > 0 ? g_app->outputHeight : clientHeight / 4;
    if (height > clientHeight * 3 / 4)
        height = clientHeight * 3 / 4;
    return height < bar ? bar : height;
}

// ---- Saving the list ----

bool SaveOutput() {
    if (g_output->lines.empty()) {
        ShowRedMessage("Nothing to print");
        return false;
    }
    char name[MAX_PATH] = "";
    if (!CurrentUiPort()->AskFileName(true, "Save to file", "Text files\0*.txt\0All files\0*.*\0", name, sizeof name))
        return false;
    FILE *file = fopen(name, "w");
    if (!file) {
        ErrorBox(FormatMessageId(kStrCannotWrite, name));
        return false;
    }
    time_t now = time(nullptr);
    fprintf(file, "Kelto output window %s: %s", ButtonSetName(), ctime(&now));
    for (const std::string &line : g_output->lines)
        fprintf(file, "%s\n", line.c_str());
    bool failed = ferror(file) != 0;
    if (fclose(file) != 0 || failed) {
        ErrorBox(GetString(kStrWriteError));
        return false;
    }
    char text[MAX_PATH + 64];
    snprintf(text, sizeof text, "%d lines written to %s", OutputLineCount(), name);
    ShowOnLine(text, kColourNormal);
    return true;
}

// ---- The window ----

namespace {

// The bar: the toggle, the installed buttons, the run state, then the message line.
int g_runLeft, g_messageLeft;

void LayOut(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    int bar = BarHeight();
    int top = client.bottom - bar;
    bool listShown = g_output->expanded && top > 0;
    if (g_output->list) {
        MoveWindow(g_output->list, 0, 0, client.right, listShown ? top : 0, TRUE);
        ShowWindow(g_output->list, listShown ? SW_SHOW : SW_HIDE);
    }
    int x = 2, width = 8 * CharacterWidth() + 8;
    if (g_output->toggle)
        MoveWindow(g_output->toggle, x, top + 2, width, bar - 4, TRUE);
    x += width + 4;
    for (HWND button : g_output->buttons) {
        if (!button)
            continue;
        char text[64];
        GetWindowTextA(button, text, sizeof text);
        int w = static_cast<int>(strlen(text)) * CharacterWidth() + 16;
        MoveWindow(button, x, top + 2, w, bar - 4, TRUE);
        x += w + 2;
    }
    g_runLeft = x + 4;
    g_messageLeft = g_runLeft + (g_output->run != kRunNone ? 10 * CharacterWidth() : 0);
    InvalidateRect(window, nullptr, TRUE);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    RECT bar = client;
    bar.top = client.bottom - BarHeight();
    FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    if (g_output->run != kRunNone) {
        RECT run = bar;
        run.left = g_runLeft;
        run.right = g_messageLeft;
        bool running = g_output->run == kRunRunning;
        SetTextColor(dc, running ? RGB(0, 0, 255) : RGB(0xC0, 0, 0));
        DrawTextA(dc, running ? "Running" : "Stopped", -1, &run, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    static const COLORREF colours[] = {0, RGB(255, 0, 0), RGB(0, 0, 0x80)};
    SetTextColor(dc, g_output->colour == kColourNormal ? GetSysColor(COLOR_BTNTEXT) : colours[g_output->colour]);
    RECT line = bar;
    line.left = g_messageLeft;
    line.right -= 4;
    DrawTextA(dc, g_output->line, -1, &line, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    EndPaint(window, &paint);
}

void Create(HWND window) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    g_output->list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", nullptr,
                                     WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | WS_TABSTOP | LBS_NOINTEGRALHEIGHT |
                                         LBS_NOTIFY | LBS_WANTKEYBOARDINPUT,
                                     0, 0, 0, 0, window, reinterpret_cast<HMENU>(kOutList), instance, nullptr);
    g_output->toggle = CreateWindowExA(0, "BUTTON", "Output", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | BS_PUSHLIKE, 0,
                                       0, 0, 0, window, reinterpret_cast<HMENU>(kOutToggle), instance, nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HFONT listFont = g_app && g_app->editorFont ? static_cast<HFONT>(g_app->editorFont) : font;
    SendMessageA(g_output->list, WM_SETFONT, reinterpret_cast<WPARAM>(listFont), FALSE);
    SendMessageA(g_output->toggle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(g_output->toggle, BM_SETCHECK, g_output->expanded ? BST_CHECKED : BST_UNCHECKED, 0);
    for (const std::string &line : g_output->lines)
        SendMessageA(g_output->list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void ContextMenu(HWND window, LPARAM lParam) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kOutSave, "Save to file");
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (at.x == -1 && at.y == -1)
        GetCursorPos(&at);
    int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    DestroyMenu(menu);
    if (chosen)
        PostMessageA(window, chosen, 0, 0);
}

const char *TextOf(LPARAM lParam) { return reinterpret_cast<const char *>(lParam); }

} // namespace

LRESULT CALLBACK OutputWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        Create(window);
        return 0;
    case WM_DESTROY:
        g_output->list = g_output->toggle = nullptr;
        for (HWND &button : g_output->buttons)
            button = nullptr;
        return 0;
    case WM_SIZE:
        LayOut(window);
        return 0;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_TIMER:
        if (wParam == kOutMessageTimer)
            MessageTimerExpired();
        return 0;
    case WM_NCHITTEST: {
        // The top edge of the expanded window resizes it.
        POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ScreenToClient(window, &at);
        if (g_output->expanded && at.y >= 0 && at.y < kSizingEdge)
            return HTTOP;
        break;
    }
    case WM_GETMINMAXINFO: {
        MINMAXINFO *info = reinterpret_cast<MINMAXINFO *>(lParam);
        info->ptMinTrackSize.x = 30 * CharacterWidth();
        info->ptMinTrackSize.y = BarHeight();
        return 0;
    }
    case WM_EXITSIZEMOVE: {
        RECT rect;
        GetWindowRect(window, &rect);
        if (g_app && g_output->expanded)
            g_app->outputHeight = rect.bottom - rect.top;
        if (g_app && g_app->frameWindow)
            PostMessageA(g_app->frameWindow, kMsgLayout, 0, 0);
        return 0;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == kOutToggle) {
            SetOutputExpanded(!g_output->expanded);
        } else if (id == kOutList && HIWORD(wParam) == LBN_DBLCLK) {
            OutputLineChosen(static_cast<int>(SendMessageA(g_output->list, LB_GETCURSEL, 0, 0)));
        } else if (id == kOutList && HIWORD(wParam) == LBN_SETFOCUS) {
            PostMessageA(window, kOutListFocus, 0, 0);
        } else if (id >= kFirstButtonId && id < kFirstButtonId + kMaxButtons && g_output->installed >= 0) {
            const ButtonSet &set = g_output->sets[g_output->installed];
            if (id - kFirstButtonId < set.count && g_app && g_app->frameWindow)
                PostMessageA(g_app->frameWindow, WM_COMMAND, set.buttons[id - kFirstButtonId].command, 0);
        }
        return 0;
    }
    case WM_VKEYTOITEM:
        if (LOWORD(wParam) == VK_RETURN) {
            OutputLineChosen(HIWORD(wParam));
            return -2;
        }
        return -1;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == g_output->list)
            ContextMenu(window, lParam);
        return 0;
    case kMsgBuildProgress:
        return g_output->progress ? g_output->progress() : 0;
    case kOutClearList: ClearOutputList(); return 0;
    case kOutSetRoutine: SetOutputRoutine(reinterpret_cast<OutputRoutine>(wParam), lParam); return 0;
    case kOutStatus: ShowStatus(TextOf(lParam)); return 0;
    case kOutBuildButtons:
    case kOutDebugButtons: InstallButtonSet(static_cast<int>(message)); return 0;
    case kOutMenuHelp: ShowMenuHelp(TextOf(lParam)); return 0;
    case kOutRed: ShowRedMessage(TextOf(lParam)); return 0;
    case kOutBlue: ShowBlueMessage(TextOf(lParam)); return 0;
    case kOutClearMessage: ClearMessageLine(); return 0;
    case kOutSetPrefix: SetMessagePrefix(TextOf(lParam)); return 0;
    case kOutSave: SaveOutput(); return 0;
    case kOutStopped: ShowRunState(kRunStopped); LayOut(window); return 0;
    case kOutRunning: ShowRunState(kRunRunning); LayOut(window); return 0;
    case kOutListFocus:
        // Arriving in the list with the keyboard: a line is selected, so Enter can choose it.
        if (g_output->list && SendMessageA(g_output->list, LB_GETCURSEL, 0, 0) == LB_ERR && !g_output->lines.empty())
            SendMessageA(g_output->list, LB_SETCURSEL, 0, 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
