// What the editor does with keys, characters, mouse buttons and editing commands that reach
// the current view. Each action that changes text or moves the cursor is journaled for Undo.
#pragma once

// Virtual keys the editor handles itself.
enum EditorKeyCode {
    kKeyBackspace = 8,
    kKeyEscape = 27,
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    kKeyInsert = 45,
    kKeyDelete = 46,
};

// The sizes the display gives to turn pixels into rows and columns.
struct EditorMetrics {
    int lineHeight;
    int charWidth;
    int leftMargin;
    int clientWidth;
};

// A key without a command-table row; `repeat` is the key's repeat count.
void EditorKey(int key, int repeat, bool ctrl);
// A character message (typing, Backspace 8, Enter 13, Escape 27, Ctrl+letter 1-26).
void EditorChar(int c, int repeat, bool ctrl);

void EditorButtonDown(bool left, int x, int y, bool shift, const EditorMetrics &metrics);
// The pointer moved; while a drag runs, the selection follows it.
void EditorMouseMove(int x, int y, const EditorMetrics &metrics);
void EditorButtonUp();
bool EditorDragging();
void EditorDoubleClick(int x, int y, const EditorMetrics &metrics);

// Runs an editing command; false when the command is not one of the editor's.
bool EditCommand(int command);

// Text macros bound to Ctrl+letter (the settings load them); a longer text is not read back.
enum { kMaxMacroLength = 32000 };
struct TextMacro {
    TextMacro *next;
    int code;            // the letter, 'a' to 'z'
    int cursorOffset;    // where the cursor goes, counted from the start of the text
    int length;
    char *text;
};
extern TextMacro *g_textMacros;
TextMacro *FindTextMacro(int letter);
void FreeTextMacros();

// Symbol completion (IDM_COMPLETION): candidates come from the browser through the editor's
// hook `completionSource`.
void SymbolCompletion();
// Inserts the rest of a completed name at the cursor, journaled so that Undo takes it back.
void InsertCompletion(const char *text);

// Copy to File (IDM_COPY_TO_FILE): writes the cut buffer to a file the user names.
bool CopyCutBufferToFile();
