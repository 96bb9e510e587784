// The modal dialog runner and the default dialog procedure, on a real resizable dialog.
#include <windows.h>

#include "base/AppState.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

namespace {

struct Seen {
    int depth;
    int resizable;
    RECT before[3], after[3];
    WPARAM ending;
};
Seen g_seen;

RECT ChildRect(HWND dialog, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

void Record(HWND dialog, RECT *rects) {
    rects[0] = ChildRect(dialog, 101);
    rects[1] = ChildRect(dialog, 102);
    rects[2] = ChildRect(dialog, IDOK);
}

INT_PTR CALLBACK GrowThenEnd(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        DefaultDialogProc(dialog, message, wParam, lParam);
        g_seen.depth = ModalDepth();
        g_seen.resizable = ResizableDialogCount();
        Record(dialog, g_seen.before);
        RECT w;
        GetWindowRect(dialog, &w);
        SetWindowPos(dialog, nullptr, 0, 0, w.right - w.left + 100, w.bottom - w.top + 50,
                     SWP_NOMOVE | SWP_NOZORDER);
        Record(dialog, g_seen.after);
        PostMessageA(dialog, g_seen.ending == WM_CLOSE ? WM_CLOSE : WM_COMMAND, g_seen.ending, 0);
        return TRUE;
    }
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

} // namespace

TEST_F(KeltoTest, ResizableDialogMovesItsControlsAndEndsWithItsButton) {
    g_seen = Seen{};
    g_seen.ending = IDOK;
    EXPECT_EQ(1, RunDialog(GrowThenEnd, 900, 0));
    EXPECT_EQ(1, g_seen.depth);
    EXPECT_EQ(1, g_seen.resizable);
    EXPECT_EQ(0, ModalDepth());
    EXPECT_EQ(0, ResizableDialogCount());

    // The label stays, the wide list stretches, the button in the corner follows it.
    EXPECT_EQ(g_seen.before[0].left, g_seen.after[0].left);
    EXPECT_EQ(g_seen.before[0].right, g_seen.after[0].right);
    EXPECT_EQ(g_seen.before[1].left, g_seen.after[1].left);
    EXPECT_EQ(g_seen.before[1].right + 100, g_seen.after[1].right);
    EXPECT_EQ(g_seen.before[2].left + 100, g_seen.after[2].left);
    EXPECT_EQ(g_seen.before[2].top + 50, g_seen.after[2].top);
    EXPECT_EQ(g_seen.before[2].right - g_seen.before[2].left,
              g_seen.after[2].right - g_seen.after[2].left);

    g_seen.ending = IDCANCEL;
    EXPECT_EQ(0, RunDialog(GrowThenEnd, 900, 0));
    g_seen.ending = WM_CLOSE;
    EXPECT_EQ(0, RunDialog(GrowThenEnd, 900, 0));
    EXPECT_EQ(0, ResizableDialogCount());
}
