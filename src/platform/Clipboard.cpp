#include "platform/Clipboard.h"

#include <windows.h>
#include <string.h>


bool PutClipboardText(HWND owner, const char *text, long length) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, length + 2);
    if (!block)
        return false;
    char *p = static_cast<char *>(GlobalLock(block));
    if (!p) {
        GlobalFree(block);
        return false;
    }
    memcpy(p, text, length);
    p[length] = '\0';
    p[length + 1] = '\0';
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!ok)
        GlobalFree(block);
    return ok;
}

char *TakeClipboardText(HWND owner, long *length, void *(*allocate)(size_t)) {
    *length = 0;
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(owner))
        return nullptr;
    char *copy = nullptr;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (const char *p = data ? static_cast<const char *>(GlobalLock(data)) : nullptr) {
        // The text ends at its NUL, and never runs past the block.
        size_t size = GlobalSize(data);
        size_t n = 0;
        while (n < size && p[n])
            n++;
        copy = static_cast<char *>(allocate(n + 1));
        if (copy) {
            memcpy(copy, p, n);
            copy[n] = '\0';
            *length = static_cast<long>(n);
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return copy;
}
