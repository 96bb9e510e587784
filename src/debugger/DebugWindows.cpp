#include "debugger/DebugWindows.h"

#include <windows.h>

namespace {

struct WindowKind {
    const char *className, *title;
};

// In the order of DebuggerWindow.
const WindowKind kKinds[kDebuggerWindowCount] = {
    {"Disassem", ""},
    {"wMemory", "Memory"},
    {"Watch", "Watch"},
    {"MachineState", "Machine State"},
};

HWND g_windows[kDebuggerWindowCount];
bool g_registered;

LRESULT CALLBACK DebuggerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Closed by the user, a window is only hidden: it belongs to the run.
    if (message == WM_CLOSE) {
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterClasses() {
    if (g_registered)
        return true;
    for (const WindowKind &kind : kKinds) {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DebuggerWindowProc;
        wc.cbWndExtra = 40;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kind.className;
        if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
    }
    return g_registered = true;
}

}  // namespace

bool CreateDebuggerWindows(HWND frame, bool profiling) {
    if (!RegisterClasses())
        return false;
    // A column along the frame's right edge, one window above the other, none taking the focus.
    RECT area = {0, 0, 800, 600};
    if (frame)
        GetWindowRect(frame, &area);
    int width = 260, height = (area.bottom - area.top) / kDebuggerWindowCount;
    for (int i = 0; i < kDebuggerWindowCount; i++) {
        if (profiling && i == kWindowMachineState)
            continue;
        g_windows[i] = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE, kKinds[i].className,
                                       kKinds[i].title, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                                       area.right - width, area.top + i * height, width, height, frame, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
        if (!g_windows[i]) {
            DestroyDebuggerWindows();
            return false;
        }
        ShowWindow(g_windows[i], SW_SHOWNOACTIVATE);
    }
    return true;
}

void DestroyDebuggerWindows() {
    for (HWND &window : g_windows) {
        if (window && IsWindow(window))
            DestroyWindow(window);
        window = nullptr;
    }
}

