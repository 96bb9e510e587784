#include "editor/EditorHooks.h"

#include "base/Boxes.h"

EditorHooks g_editorHooks;

void ResetEditorHooks() { g_editorHooks = EditorHooks(); }

bool CheckCSyntax(Document *doc) { return !g_editorHooks.checkCSyntax || g_editorHooks.checkCSyntax(doc); }

bool CheckEiffelSyntax(Document *doc) {
    return !g_editorHooks.checkEiffelSyntax || g_editorHooks.checkEiffelSyntax(doc);
}

int FunctionCount(Document *doc) { return g_editorHooks.functionCount ? g_editorHooks.functionCount(doc) : 0; }

const char *FunctionAt(Document *doc, const Line *line, long number, long *first, long *end) {
    return g_editorHooks.functionAt ? g_editorHooks.functionAt(doc, line, number, first, end) : nullptr;
}

bool FunctionLines(Document *doc, int index, char *name, int size, long *first, long *last) {
    return g_editorHooks.functionLines && g_editorHooks.functionLines(doc, index, name, size, first, last);
}

void ReleaseBrowseInfo(Document *doc) {
    if (g_editorHooks.releaseBrowseInfo)
        g_editorHooks.releaseBrowseInfo(doc);
}

bool StartDebugging(const char *commandLine) {
    if (!g_editorHooks.startDebugging) {
        InfoBox("Debugging is not available in this version of Kelto");
        return false;
    }
    return g_editorHooks.startDebugging(commandLine);
}

bool PassKeyDown(int key, int repeat, bool ctrl, bool alt, bool shift) {
    return g_editorHooks.keyDown && g_editorHooks.keyDown(key, repeat, ctrl, alt, shift);
}

void UpdateFrameTitle() {
    if (g_editorHooks.currentDocumentChanged)
        g_editorHooks.currentDocumentChanged();
}

void DocumentClosed(const char *path) {
    if (g_editorHooks.documentClosed)
        g_editorHooks.documentClosed(path);
}

void ShowEditorContextMenu(HWND window, int x, int y) {
    if (g_editorHooks.showContextMenu)
        g_editorHooks.showContextMenu(window, x, y);
}
