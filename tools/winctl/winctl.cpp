// winctl wait CLASS SECONDS   - waits until a top-level window of CLASS exists and has handled
//                               what it was sent (a file it opens is loaded); prints its title
// winctl close CLASS [SECONDS] - asks that window to close (WM_CLOSE); exit code 1 if none.
//                               With SECONDS, waits until it is gone and prints how long it took
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// FindWindow does not see classes registered by other processes under Wine, so the
// top-level windows are walked and their class names compared.
struct Search {
    const char *className;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
    Search *search = reinterpret_cast<Search *>(param);
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, search->className) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopLevel(const char *className) {
    Search search = {className, nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: winctl wait CLASS SECONDS | winctl close CLASS [SECONDS]\n");
        return 2;
    }
    const char *className = argv[2];
    if (strcmp(argv[1], "wait") == 0) {
        int seconds = argc > 3 ? atoi(argv[3]) : 30;
        for (int i = 0; i < seconds * 10; i++) {
            if (HWND w = FindTopLevel(className)) {
                DWORD_PTR ignored;
                if (!SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, (seconds * 10 - i) * 100, &ignored))
                    return 1;
                char title[256] = "";
                GetWindowTextA(w, title, sizeof title);
                printf("%s\n", title);
                return 0;
            }
            Sleep(100);
        }
        return 1;
    }
    if (strcmp(argv[1], "close") == 0) {
        HWND w = FindTopLevel(className);
        if (!w)
            return 1;
        DWORD start = GetTickCount();
        PostMessageA(w, WM_CLOSE, 0, 0);
        if (argc < 4)
            return 0;
        DWORD limit = static_cast<DWORD>(atoi(argv[3])) * 1000;
        while (IsWindow(w) && GetTickCount() - start < limit)
            Sleep(10);
        if (IsWindow(w))
            return 1;
        printf("%.2f\n", (GetTickCount() - start) / 1000.0);
        return 0;
    }
    return 2;
}
