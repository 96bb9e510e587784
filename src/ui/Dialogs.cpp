#include "ui/Dialogs.h"

#include <vector>

#include "base/AppState.h"
#include "platform/UiPort.h"

int g_dialogHelpNumber;

namespace {

struct ChildPlace {
    HWND child;
    RECT rect;  // in the dialog's client coordinates at its initial size
};

// A resizable dialog: its initial client size and where its controls stood then.
struct ResizableDialog {
    HWND dialog;
    int width, height;
    std::vector<ChildPlace> children;
};

std::vector<ResizableDialog> g_resizable;

BOOL CALLBACK RememberChild(HWND child, LPARAM param) {
    ResizableDialog *entry = reinterpret_cast<ResizableDialog *>(param);
    if (GetParent(child) != entry->dialog)
        return TRUE;
    ChildPlace place;
    place.child = child;
    GetWindowRect(child, &place.rect);
    MapWindowPoints(nullptr, entry->dialog, reinterpret_cast<POINT *>(&place.rect), 2);
    entry->children.push_back(place);
    return TRUE;
}

void RememberDialog(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    g_resizable.push_back(ResizableDialog{dialog, client.right, client.bottom, {}});
    EnumChildWindows(dialog, RememberChild, reinterpret_cast<LPARAM>(&g_resizable.back()));
}

// Controls wider (taller) than half the dialog stretch with it; controls that start in its
// right (lower) half move with the edge; the rest stay where they are.
void MoveChildren(const ResizableDialog &entry, int width, int height) {
    int dx = width - entry.width, dy = height - entry.height;
    HDWP batch = BeginDeferWindowPos(static_cast<int>(entry.children.size()));
    for (const ChildPlace &place : entry.children) {
        RECT r = place.rect;
        int w = r.right - r.left, h = r.bottom - r.top;
        if (w * 2 > entry.width)
            w += dx;
        else if (r.left * 2 > entry.width)
            r.left += dx;
        if (h * 2 > entry.height)
            h += dy;
        else if (r.top * 2 > entry.height)
            r.top += dy;
        if (w < 1) w = 1;
        if (h < 1) h = 1;
        if (batch)
            batch = DeferWindowPos(batch, place.child, nullptr, r.left, r.top, w, h,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch)
        EndDeferWindowPos(batch);
    InvalidateRect(entry.dialog, nullptr, TRUE);
}

ResizableDialog *FindResizable(HWND dialog) {
    for (ResizableDialog &entry : g_resizable)
        if (entry.dialog == dialog)
            return &entry;
    return nullptr;
}

void ForgetDialog(HWND dialog) {
    for (size_t i = 0; i < g_resizable.size(); i++) {
        if (g_resizable[i].dialog == dialog) {
            g_resizable.erase(g_resizable.begin() + i);
            return;
        }
    }
}

} // namespace

int ResizableDialogCount() { return static_cast<int>(g_resizable.size()); }

INT_PTR RunDialog(DLGPROC procedure, int templateId, LPARAM parameter) {
    ModalScope modal;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), GetActiveWindow(), procedure,
                           parameter);
}

INT_PTR DefaultDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        if ((GetWindowLongA(dialog, GWL_STYLE) & WS_THICKFRAME) && !FindResizable(dialog))
            RememberDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case kHelpButton:
            WinHelpA(dialog, "kelto.hlp", HELP_CONTEXT, kHelpTopicBase + g_dialogHelpNumber);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            if (ResizableDialog *entry = FindResizable(dialog))
                MoveChildren(*entry, LOWORD(lParam), HIWORD(lParam));
        }
        return FALSE;
    case WM_DESTROY:
        ForgetDialog(dialog);
        return FALSE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        if (wParam == MK_LBUTTON || (message == WM_LBUTTONUP && wParam == 0)) {
            // Let the dialog be dragged by any point of its surface.
            UINT caption = message == WM_LBUTTONDOWN ? WM_NCLBUTTONDOWN
                         : message == WM_LBUTTONUP   ? WM_NCLBUTTONUP
                                                     : WM_NCLBUTTONDBLCLK;
            POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(dialog, &pt);
            SendMessageA(dialog, caption, HTCAPTION, MAKELPARAM(pt.x, pt.y));
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
