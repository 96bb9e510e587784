// The system clipboard, plain text only.
#pragma once

#include <stddef.h>

typedef struct HWND__ *HWND;

// Empties the clipboard and puts `length` bytes of `text` on it as plain text (a NUL is
// added). False when the clipboard cannot be opened or no memory is left.
bool PutClipboardText(HWND owner, const char *text, long length);
// A NUL-terminated copy of the clipboard's plain text in a block from `allocate` (which
// returns null when no memory is left), or null when there is none; `length` receives its
// length.
char *TakeClipboardText(HWND owner, long *length, void *(*allocate)(size_t));
