#include "editor/EditorCommands.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "base/Boxes.h"
#include "base/Commands.h"
#include "base/CommandIds.h"
#include "base/TextUtil.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorInput.h"
#include "editor/EditorWindow.h"
#include "platform/UiPort.h"

void WordAtCursor(char *word, int size) {
    word[0] = '\0';
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || !view->doc || IsSentinel(view->doc, view->current))
        return;
    const Line *line = view->current;
    int start = view->column, end = view->column;
    while (start > 0 && IsIdentifierChar(line->text[start - 1]))
        start--;
    while (end < line->length && IsIdentifierChar(line->text[end]))
        end++;
    int n = end - start < size - 1 ? end - start : size - 1;
    memcpy(word, line->text + start, n);
    word[n] = '\0';
}

namespace {

void NewFile(int, intptr_t) {
    char name[kMaxPathLength + 1] = "";
    if (!CurrentUiPort()->AskText("Name?", name, sizeof name) || !name[0])
        return;
    // A new file is known by its full path, wherever the current directory goes later.
    char full[MAX_PATH];
    if (!_fullpath(full, name, sizeof full)) {
        IncorrectFileName(name);
        return;
    }
    OpenPath(full);
}

void OpenFile(int, intptr_t) {
    char path[kMaxPathLength + 1] = "";
    if (CurrentUiPort()->AskFileName(false, "Open", "C sources\0*.c;*.h\0All files\0*.*\0", path, sizeof path))
        OpenPath(path);
}

// Reading the file again throws the edits away: only when the user says so.
void ReloadCommand() {
    Document *doc = g_editor->doc;
    if (doc->flags & kDocModified) {
        char path[kMaxPathLength + 1];
        CopyBounded(path, doc->path, sizeof path);
        LowerCase(path);
        char text[kMaxPathLength + 80];
        snprintf(text, sizeof text, "%s has been modified.\nReload it from the disk and lose the changes?", path);
        if (!Confirm(text))
            return;
    }
    ReloadDocument();
}

void SaveFile(int command, intptr_t) {
    switch (command) {
    case IDM_SAVE: SaveDocument(); break;
    case IDM_SAVE_AS: SaveAs(); break;
    case IDM_SAVE_ALL: SaveAll(); break;
    case IDM_RELOAD: ReloadCommand(); break;
    }
    if (g_editor->view)
        RefreshEditorWindow(g_editor->view);
}

void InsertFileCommand(int, intptr_t) {
    char path[kMaxPathLength + 1] = "";
    if (CurrentUiPort()->AskFileName(false, "Insert a file", "All files\0*.*\0", path, sizeof path)) {
        UpperCase(path);
        InsertFile(path);
        if (g_editor->view)
            RefreshEditorWindow(g_editor->view);
    }
}

void EditorCommand(int command, intptr_t) {
    EditCommand(command);
    if (g_editor->view) {
        RefreshEditorWindow(g_editor->view);
        if (g_editor->view->window)
            InvalidateRect(g_editor->view->window, nullptr, FALSE);
    }
}

// Properties of the file (Shift+Esc).
void PropertiesCommand(int, intptr_t) {
    if (!HasFileDocument())
        return;
    FileInfoTexts info;
    GetFileInfoTexts(&info);
    char text[800];
    snprintf(text, sizeof text, "%s\n%s\n%s\n%s%s%s%s", info.position, info.size, info.marks, info.language,
             info.modified ? "\nDocument modified" : "", info.date[0] ? "\n" : "", info.date);
    CurrentUiPort()->ShowBox(kOwnerFrame, text, info.title, kBoxIconAsterisk);
}

// Lines and bytes of each loaded file.
void StatisticsCommand(int, intptr_t) {
    char text[2000] = "";
    size_t used = 0;
    long totalLines = 0, totalBytes = 0;
    for (Document *doc = g_editor->documents; doc; doc = doc->next) {
        if (doc->flags & kDocNoFile)
            continue;
        long bytes = 0;
        for (Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next)
            bytes += line->length + 2;
        totalLines += doc->lineCount;
        totalBytes += bytes;
        char path[kMaxPathLength + 1];
        CopyBounded(path, doc->path, sizeof path);
        LowerCase(path);
        if (used < sizeof text)
            used += snprintf(text + used, sizeof text - used, "%s: %ld lines, %ld bytes\n", path, doc->lineCount, bytes);
    }
    if (used < sizeof text)
        snprintf(text + used, sizeof text - used, "Total: %ld lines, %ld bytes", totalLines, totalBytes);
    InfoBox(text);
}

} // namespace

void RegisterEditorCommands() {
    RegisterHandler(IDM_FILE_NEW, NewFile);
    RegisterHandler(IDM_FILE_OPEN, OpenFile);
    for (int command : {IDM_SAVE, IDM_SAVE_AS, IDM_SAVE_ALL, IDM_RELOAD})
        RegisterHandler(command, SaveFile);
    RegisterHandler(IDM_INSERT_FILE, InsertFileCommand);
    static const int kEditing[] = {
        IDM_UNDO, IDM_REDO, IDM_SELECT_ALL, IDM_CUT, IDM_COPY, IDM_PASTE, IDM_EXTEND_DOWN, IDM_GOTO_TOP, IDM_GOTO_END, IDM_COPY_TO_FILE,
        IDM_SET_BOOKMARK, IDM_GOTO_BOOKMARK, IDM_GOTO_NEXT_BOOKMARK, IDM_DELETE_BOOKMARK, IDM_EXTEND_UP,
        IDM_EXTEND_RIGHT, IDM_EXTEND_LEFT, IDM_WORD_RIGHT, IDM_WORD_LEFT, IDM_EXTEND_WORD_RIGHT,
        IDM_EXTEND_DOWN_ROW, IDM_EXTEND_TO_TOP, IDM_EXTEND_TO_END, IDM_EXTEND_LINE_END, IDM_SPACES_TO_TABS,
        IDM_TABS_TO_SPACES, IDM_RECENTER, IDM_EXTEND_LINE_START, IDM_WORD_RIGHT_REPEAT, IDM_WORD_LEFT_REPEAT,
        IDM_EXTEND_PAGE_UP, IDM_EXTEND_PAGE_DOWN, IDM_EXTEND_WORD_LEFT, IDM_COMPLETION,
    };
    for (int command : kEditing)
        RegisterHandler(command, EditorCommand);
    RegisterHandler(IDM_PROPERTIES, PropertiesCommand);
    RegisterHandler(IDM_STATISTICS, StatisticsCommand);
    RegisterHandler(IDM_LEVEL, [](int, intptr_t) { ToggleBraceLevel(); });
}
