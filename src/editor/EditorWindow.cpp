#include "editor/EditorWindow.h"

#include <windows.h>

#include "core/AppState.h"
#include "editor/Document.h"

void ActivateEditorWindow(View *view) {
    MakeCurrent(view);
    if (view->window && g_app && g_app->mdiClient)
        SendMessageA(g_app->mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(view->window), 0);
}

void SetEditorWindowTitle(View *view, const char *title) {
    if (view->window)
        SetWindowTextA(view->window, title);
}

void RefreshEditorWindow(View *view) {
    if (view->window && (view->state & kViewRedrawAll))
        InvalidateRect(view->window, nullptr, TRUE);
}

// The frame's title follows the current document once the frame shows documents.
void UpdateFrameTitle() {}

bool EditorWindowPlacement(View *view, int rect[4], bool *minimized, bool *maximized) {
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    if (!view->window || !GetWindowPlacement(view->window, &placement))
        return false;
    rect[0] = placement.rcNormalPosition.left;
    rect[1] = placement.rcNormalPosition.top;
    rect[2] = placement.rcNormalPosition.right;
    rect[3] = placement.rcNormalPosition.bottom;
    *minimized = placement.showCmd == SW_SHOWMINIMIZED || IsIconic(view->window);
    *maximized = placement.showCmd == SW_SHOWMAXIMIZED || IsZoomed(view->window);
    return true;
}
