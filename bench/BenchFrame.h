// The frame of the benchmarks that paint: fresh application and editor states, an MDI frame
// 1000 x 800 with its client, and the editor window class, as the program has them; and the C
// source they paint.
#pragma once

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "base/AppState.h"
#include "base/Messages.h"
#include "editor/Document.h"
#include "editor/EditorWindow.h"

inline LRESULT CALLBACK BenchFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefFrameProcA(window, g_app ? g_app->mdiClient : nullptr, message, wParam, lParam);
}

inline HWND OpenBenchFrame() {
    NewAppState();
    NewEditorState();
    g_scratch = static_cast<char *>(malloc(kScratchSize));
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BenchFrameProc;
    wc.hInstance = instance;
    wc.lpszClassName = "BenchFrame";
    RegisterClassA(&wc);
    RegisterEditorWindowClass(instance);
    HWND frame = CreateWindowExA(0, "BenchFrame", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 800, nullptr, nullptr,
                                 instance, nullptr);
    CLIENTCREATESTRUCT create = {};
    create.idFirstChild = 30000;
    g_app->frameWindow = frame;
    g_app->mdiClient = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 1000, 760, frame,
                                       nullptr, instance, &create);
    return frame;
}

// `lines` lines of C source of every kind: code with keywords, comments, strings and
// directives; with `openComment`, the first line opens a comment that never ends.
inline void WriteBenchSource(const char *path, int lines, bool openComment) {
    FILE *f = fopen(path, "wb");
    static const char *kinds[] = {
        "#include <stdio.h>\r\n",
        "static int count_%d = 0; /* a counter */\r\n",
        "int function_%d(int a, char *b)\r\n",
        "{\r\n",
        "\tif (a > 0 && b != NULL) // check\r\n",
        "\t\treturn printf(\"%%d %%s\\n\", a, b);\r\n",
        "\twhile (a-- > 0) { count_%d++; }\r\n",
        "}\r\n",
    };
    if (openComment)
        fprintf(f, "/*\r\n");
    for (int i = openComment ? 1 : 0; i < lines; i++)
        fprintf(f, kinds[i % 8], i);
    fclose(f);
}
