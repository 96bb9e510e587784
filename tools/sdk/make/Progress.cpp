// The progress channel to the IDE. The IDE keeps a named shared block "kelto"; make writes a
// NUL-terminated text into its first 1024 bytes and sends message 26024 to the IDE's output
// window (class "KeltoOutput"), which reads the text and answers 1 when the user asked to stop
// the build. Without the block or the window make just runs.
#include "Make.h"

#include <windows.h>

#include <string.h>

namespace {

const UINT kProgressMessage = 26024;
const DWORD kBlockSize = 1024;
const UINT kReplyTimeout = 10000;   // ms; a hung IDE must not hang the build

char *g_block = nullptr;

struct Search {
    HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "KeltoOutput") != 0)
        return TRUE;
    reinterpret_cast<Search *>(param)->found = window;
    return FALSE;
}

// FindWindow does not see the classes of other processes under Wine: the top-level windows
// and all their descendants are walked instead.
BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    if (!MatchChild(window, param))
        return FALSE;
    EnumChildWindows(window, MatchChild, param);
    return reinterpret_cast<Search *>(param)->found == nullptr;
}

HWND FindOutputWindow() {
    Search search = {nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

void OpenProgress() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, "kelto");
    if (!mapping)
        return;
    // The view keeps the block alive; the mapping handle stays open until make ends.
    g_block = static_cast<char *>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kBlockSize));
}

bool SendProgress(const std::string &text) {
    if (!g_block)
        return false;
    // The window is looked up for every text: the IDE may close its output window and open
    // it again while a long build runs.
    HWND window = FindOutputWindow();
    if (!window)
        return false;
    size_t sent = 0;
    do {
        size_t piece = text.size() - sent;
        if (piece > kBlockSize - 1)
            piece = kBlockSize - 1;
        memcpy(g_block, text.data() + sent, piece);
        g_block[piece] = '\0';
        sent += piece;
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(window, kProgressMessage, 0, 0, SMTO_ABORTIFHUNG,
                                 kReplyTimeout, &answer))
            return false;   // gone or hung: the build goes on without it
        if (answer == 1)
            return true;
    } while (sent < text.size());
    return false;
}
