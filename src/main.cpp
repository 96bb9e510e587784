// Program entry: the application's frame window and its message loop.
#include <windows.h>

#include "core/AppState.h"
#include "core/Messages.h"
#include "core/Memory.h"
#include "core/TextUtil.h"
#include "platform/Files.h"
#include "editor/Document.h"

namespace {

const char kFrameClass[] = "clMDIFrame";

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterFrameClass(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_OWNDC;
    wc.lpfnWndProc = FrameProc;
    wc.cbWndExtra = 40;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kFrameClass;
    return RegisterClassA(&wc) != 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showMode) {
    if (!NewAppState() || !NewEditorState())
        return 1;
    g_scratch = static_cast<char *>(Allocate(kScratchSize));
    CurrentDirectory(g_app->startDirectory, sizeof g_app->startDirectory);
    if (!RegisterFrameClass(instance))
        return 1;
    HWND frame = CreateWindowExA(0, kFrameClass, "kelto", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 nullptr, nullptr, instance, nullptr);
    if (!frame)
        return 1;
    g_app->frameWindow = frame;
    ShowWindow(frame, showMode);
    UpdateWindow(frame);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    g_app->frameWindow = nullptr;
    DeleteTempFiles();
    FreeEditorState();
    return 0;
}
