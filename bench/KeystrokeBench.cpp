// Types 1,000 keystrokes (letters, blanks, now and then Backspace or Enter) into a
// 100,000-line C file in an editor window of a hidden frame, each through the window's own
// messages and followed by its paint, and prints the median and the worst time per keystroke:
// at the end of the file, in its middle, in the middle with the brace level shown, right
// after an unclosed "/*" on its first line and in the middle of that file (all of it one
// comment); and, to compare, a repaint alone. Needs a display (run it under Xvfb).
#include <windows.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchFrame.h"
#include "base/AppState.h"
#include "base/Messages.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorWindow.h"
#include "editor/Language.h"

namespace {

const int kLines = 100000;
const int kKeystrokes = 1000;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

// One run: the cursor goes to the end of line `line` (from 1), then the keystrokes follow.
void Run(const char *name, HWND window, long line, bool type = true) {
    View *view = g_editor->view;
    GotoPosition(line, 0);
    view->column = static_cast<unsigned short>(view->current->length);
    Recentre();
    view->state |= kViewRedrawAll;
    RefreshEditorWindow(view);
    UpdateWindow(window);
    std::vector<double> times;
    for (int k = 0; k < kKeystrokes; k++) {
        int c = k % 40 == 39 ? '\r' : k % 10 == 9 ? '\b' : k % 6 == 5 ? ' ' : 'a' + k % 26;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        if (type)
            SendMessageA(window, WM_CHAR, static_cast<WPARAM>(c), 1);
        else
            InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::sort(times.begin(), times.end());
    printf("keystrokebench: %-34s median %7.3f ms, worst %7.3f ms\n", name, times[times.size() / 2], times.back());
}

bool Open(const std::string &path, bool openComment) {
    WriteBenchSource(path.c_str(), kLines, openComment);
    if (!OpenPath(path.c_str())) {
        printf("keystrokebench: cannot open %s\n", path.c_str());
        return false;
    }
    SendMessageA(g_app->mdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(g_editor->view->window), 0);
    return true;
}

} // namespace

int main() {
    HWND frame = OpenBenchFrame();
    ShowWindow(frame, SW_SHOWNOACTIVATE);
    AddBuiltinLanguages();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string plain = std::string(temp) + "KEYBENCH.C";
    std::string open = std::string(temp) + "KEYBENCH2.C";
    if (!Open(plain, false))
        return 1;
    HWND window = g_editor->view->window;
    Run("a repaint alone, no keystroke", window, kLines / 2, false);
    Run("at the end", window, kLines);
    Run("in the middle", window, kLines / 2);
    ToggleBraceLevel();
    Run("in the middle, brace level shown", window, kLines / 2);
    ToggleBraceLevel();
    if (!Open(open, true))
        return 1;
    window = g_editor->view->window;
    Run("after an unclosed /* on line 1", window, 1);
    Run("in the middle of that comment", window, kLines / 2);
    DeleteFileA(plain.c_str());
    DeleteFileA(open.c_str());
    return 0;
}
