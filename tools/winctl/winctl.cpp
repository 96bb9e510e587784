// winctl wait CLASS SECONDS  - waits until a top-level window of CLASS exists; prints its title
// winctl close CLASS         - asks that window to close (WM_CLOSE); exit code 1 if none
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
        fprintf(stderr, "usage: winctl wait CLASS SECONDS | winctl close CLASS\n");
        return 2;
    }
    const char *className = argv[2];
    if (strcmp(argv[1], "wait") == 0) {
        int seconds = argc > 3 ? atoi(argv[3]) : 30;
        for (int i = 0; i < seconds * 10; i++) {
            if (HWND w = FindTopLevel(className)) {
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
        PostMessageA(w, WM_CLOSE, 0, 0);
        return 0;
    }
    return 2;
}
