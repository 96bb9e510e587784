// What the editor asks of the features above it. Each is a hook that app/ installs at
// start-up; until then, and in tests that do not install one, each does its documented
// "none".
#pragma once

struct Document;
struct Line;
typedef struct HWND__ *HWND;

struct EditorHooks {
    // Syntax checks before a C or Eiffel source is saved; false stops the saving, the reason
    // left in the scratch buffer. None: every document passes.
    bool (*checkCSyntax)(Document *doc);
    bool (*checkEiffelSyntax)(Document *doc);
    // Number of functions in the document's function list. None: 0.
    int (*functionCount)(Document *doc);
    // The name of the function whose lines hold `line` (number `number`, from 1) of `doc`,
    // with its definition line in *first and its end line in *end. None: null.
    const char *(*functionAt)(Document *doc, const Line *line, long number, long *first, long *end);
    // The `index`-th function (from 0) of `doc`: its name (cut to `size`), its first line
    // (where its declaration begins) and its last line, both from 1. None: false.
    bool (*functionLines)(Document *doc, int index, char *name, int size, long *first, long *last);
    // A document is being freed: what the browser keeps of it goes. None: nothing.
    void (*releaseBrowseInfo)(Document *doc);
    // Starts debugging the program that `commandLine` names (a path holding ".EXE" and its
    // arguments); false when no run was started. None: says that debugging is not available,
    // false.
    bool (*startDebugging)(const char *commandLine);
    // A key-down the editor window passes to the program's key tables; false when the key
    // meant nothing. None: false.
    bool (*keyDown)(int key, int repeat, bool ctrl, bool alt, bool shift);
    // The current document changed, or its name or state did: the frame's title and the menu
    // items that follow the current file are brought up to date. None: nothing.
    void (*currentDocumentChanged)();
    // A document's last window closed; `path` is null for a document not backed by a file.
    // None: nothing.
    void (*documentClosed)(const char *path);
    // The editor window's right-button menu at screen position (x, y). None: no menu.
    void (*showContextMenu)(HWND window, int x, int y);
    // Symbol completion's candidates: fills `names` with up to `max` allocated names starting
    // with `prefix` (members of the structure named `structure` when it is not null) and
    // returns how many it found. None: no candidates.
    int (*completionSource)(const char *prefix, const char *structure, char **names, int max);
};

extern EditorHooks g_editorHooks;
// Puts every hook back to "none".
void ResetEditorHooks();

// The calls the editor makes; each runs the hook or its "none".
bool CheckCSyntax(Document *doc);
bool CheckEiffelSyntax(Document *doc);
int FunctionCount(Document *doc);
const char *FunctionAt(Document *doc, const Line *line, long number, long *first, long *end);
bool FunctionLines(Document *doc, int index, char *name, int size, long *first, long *last);
void ReleaseBrowseInfo(Document *doc);
bool StartDebugging(const char *commandLine);
bool PassKeyDown(int key, int repeat, bool ctrl, bool alt, bool shift);
void UpdateFrameTitle();
void DocumentClosed(const char *path);
void ShowEditorContextMenu(HWND window, int x, int y);
