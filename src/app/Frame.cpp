// The frame window: a window procedure that routes its messages, the window classes and the
// layout of the MDI client and the output window.
#include "app/Frame.h"

#include <windows.h>
#include <shellapi.h>
#include <string.h>

#include "app/Dispatch.h"
#include "app/KeyTable.h"
#include "app/SettingsLoad.h"
#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "debugger/DebugOptions.h"
#include "debugger/DebugRun.h"
#include "editor/Autosave.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorHooks.h"
#include "editor/EditorWindow.h"
#include "platform/UiPort.h"
#include "ui/OutputWindow.h"

namespace {

enum {
    kFirstWindowItem = 30000,   // the MDI client numbers its window list from here
    kCheckFilesTimer = 1,       // a look for files changed on disk that waits for a dialog
};

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    intptr_t debugAnswer = 0;
    if (DebugFrameMessage(message, wParam, lParam, &debugAnswer))
        return debugAnswer;
    HWND client = g_app ? g_app->mdiClient : nullptr;
    switch (message) {
    case WM_CREATE: {
        FindFrameMenus(GetMenu(window));
        CLIENTCREATESTRUCT create = {};
        create.hWindowMenu = g_frame.windowMenu;
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
        // Not inside a dialog (a replace asking about a match, say): the documents are in use
        // there. The check waits until the dialog has gone.
        if (ModalDepth() > 0) {
            SetTimer(window, kCheckFilesTimer, 500, nullptr);
            return 0;
        }
        CheckFilesChangedOnDisk();
        return 0;
    case WM_TIMER:
        if (wParam == kCheckFilesTimer) {
            KillTimer(window, kCheckFilesTimer);
            PostMessageA(window, kMsgCheckFiles, 0, 0);
            return 0;
        }
        break;
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
        StopDebugging();   // the debuggee leaves, the debug thread ends
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
        // The MDI children go while their client still keeps its list of them: one destroyed
        // after the client has released that list makes the system read freed memory.
        for (HWND child; client && (child = GetWindow(client, GW_CHILD)) != nullptr;) {
            SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
            if (IsWindow(child))
                break;
        }
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

FrameState g_frame;

void ResetFrameState() {
    for (char *&path : g_frame.closed)
        Release(path);
    CloseSharedBlock();
    g_frame = FrameState();
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

