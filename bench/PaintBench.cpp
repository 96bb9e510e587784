// Paints a 100,000-line C file page by page, from the top to the bottom, in an editor window
// of a hidden frame, and prints the pages per second. Needs a display (run it under Xvfb).
#include <windows.h>
#include <stdio.h>
#include <string>

#include "BenchFrame.h"
#include "base/AppState.h"
#include "base/Messages.h"
#include "editor/Document.h"
#include "editor/EditorWindow.h"
#include "editor/Language.h"

const int kLines = 100000;

int main() {
    HWND frame = OpenBenchFrame();
    AddBuiltinLanguages();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string path = std::string(temp) + "PAINTBENCH.C";
    WriteBenchSource(path.c_str(), kLines, false);
    if (!OpenPath(path.c_str())) {
        printf("paintbench: cannot open %s\n", path.c_str());
        return 1;
    }
    View *view = g_editor->view;
    ShowWindow(frame, SW_SHOWNOACTIVATE);
    SendMessageA(g_app->mdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(view->window), 0);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int pages = 0;
    for (Line *top = FirstLine(view->doc); !IsSentinel(view->doc, top); pages++) {
        view->top = top;
        InvalidateRect(view->window, nullptr, FALSE);
        UpdateWindow(view->window);
        for (int i = 0; i < view->visibleRows && !IsSentinel(view->doc, top); i++)
            top = top->next;
    }
    QueryPerformanceCounter(&end);
    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    printf("paintbench: %d lines, %d rows a page, %d pages in %.2f s: %.0f pages/s\n", kLines, view->visibleRows,
           pages, seconds, pages / seconds);
    DeleteFileA(path.c_str());
    return 0;
}
