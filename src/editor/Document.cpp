// The list of open documents, their lines, and the views on them.
#include "editor/Document.h"

#include <stdio.h>
#include <string.h>

#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/TextUtil.h"
#include "editor/BreakpointLines.h"
#include "editor/Bookmarks.h"
#include "editor/CommentScan.h"
#include "editor/Editing.h"
#include "editor/EditorHooks.h"
#include "editor/EditorWindow.h"
#include "editor/Journal.h"
#include "platform/Files.h"

EditorState *g_editor;

bool HasFileDocument() { return g_editor && g_editor->doc && !(g_editor->doc->flags & kDocNoFile); }

void SetDiskPath(Document *doc, const char *typed) {
    if (!NameOnDisk(typed, doc->diskPath, sizeof doc->diskPath) || _stricmp(doc->diskPath, doc->path) != 0)
        CopyBounded(doc->diskPath, doc->path, sizeof doc->diskPath);
}

bool MayWriteTruncated(Document *doc) {
    if (!(doc->flags & kDocTruncated))
        return true;
    if (!ConfirmMessage(kStrSaveTruncated))
        return false;
    doc->flags &= ~kDocTruncated;
    return true;
}

EditorState *NewEditorState() {
    FreeEditorState();
    g_editor = static_cast<EditorState *>(Allocate(sizeof(EditorState)));
    return g_editor;
}

void FreeEditorState() {
    if (!g_editor)
        return;
    FreeBookmarks();
    ResetJournal();
    ClearCutBuffer();
    ForgetLineNumber();
    while (View *view = g_editor->views) {
        g_editor->views = view->next;
        Release(view);
    }
    while (Document *doc = g_editor->documents) {
        doc->viewCount = 0;
        FreeDocument(doc);
    }
    for (char *&path : g_editor->recent) {
        Release(path);
        path = nullptr;
    }
    Release(g_editor);
    g_editor = nullptr;
}

// ---- Lines ----

Line *NewLineRecord(Document *doc, int capacity) {
    if (capacity < 0 || capacity > 0xFFFF)
        return nullptr;
    size_t size = offsetof(Line, text) + capacity + 1;
    if (doc && size <= kArenaLargestRecord) {
        // The record's rounding to its alignment is room the line may use too.
        size = ArenaRecordSize(size);
        Line *line = static_cast<Line *>(ArenaGet(&doc->lines, size));
        if (line)
            line->capacity = static_cast<unsigned short>(size - offsetof(Line, text) - 1);
        return line;
    }
    Line *line = static_cast<Line *>(Allocate(size));
    if (line)
        line->capacity = static_cast<unsigned short>(capacity);
    return line;
}

Line *NewLine(const char *text, int length, Document *doc) {
    if (length < 0 || length > 0x7FF0)
        return nullptr;
    // A document's lines take no more room than they need; lines outside one keep the room
    // of a 16-byte step.
    int capacity = doc ? length : length <= 16 ? 16 : (length + 15) & ~15;
    Line *line = NewLineRecord(doc, capacity);
    if (!line)
        return nullptr;
    line->length = static_cast<short>(length);
    if (length > 0 && text)
        memcpy(line->text, text, length);
    return line;
}

// A line in the arena that was given back keeps this mark after the free list's link.
static bool MarkedFree(const Line *line) { return line->capacity == 0 && line->length == -1; }

void FreeLine(Document *doc, Line *line) {
    if (!line)
        return;
    if (!doc || !ArenaOwns(&doc->lines, line)) {
        Release(static_cast<void *>(line));
        return;
    }
    if (MarkedFree(line)) {
        ErrorMessage(kStrBadRelease);
        return;
    }
    size_t size = offsetof(Line, text) + line->capacity + 1;
    line->capacity = 0;
    line->length = -1;
    ArenaPut(&doc->lines, line, size);
}

Line *NthLine(const Document *doc, long index) {
    Line *line = doc->sentinel->next;
    while (index-- > 0 && line != doc->sentinel)
        line = line->next;
    return line;
}

void LinkLineAfter(Line *after, Line *line) {
    line->prev = after;
    line->next = after->next;
    after->next->prev = line;
    after->next = line;
}

char *LineText(const Line *line, char *buffer, size_t size) {
    size_t n = static_cast<size_t>(line->length);
    if (n >= size)
        n = size - 1;
    memcpy(buffer, line->text, n);
    buffer[n] = '\0';
    return buffer;
}

// Releases every line; the views of the document are put on the (now empty) sentinel and the
// scanner's state of the document is dropped with the text it described.
void FreeLines(Document *doc) {
    BookmarksDropDocument(doc);
    ForgetLineNumber();
    // The arena's lines go with their chunks; only guarded lines are released one by one.
    Line *sentinel = doc->sentinel;
    for (Line *line = sentinel->next; line != sentinel;) {
        Line *next = line->next;
        if (!ArenaOwns(&doc->lines, line))
            FreeLine(nullptr, line);
        line = next;
    }
    ArenaFree(&doc->lines);
    sentinel->next = sentinel->prev = sentinel;
    doc->lineCount = 0;
    doc->browserWord = nullptr;
    FreeCommentSpans(doc);
    doc->savedLine = doc->savedAnchor = nullptr;
    doc->savedColumn = doc->savedAnchorColumn = 0;
    ResetViews(doc, sentinel);
}

void ResetViews(Document *doc, Line *line) {
    if (!g_editor)
        return;
    for (View *view = g_editor->views; view; view = view->next) {
        if (view->doc != doc)
            continue;
        view->top = view->current = line;
        view->anchor = nullptr;
        view->column = view->anchorColumn = 0;
        view->cursorRow = view->cursorVisualColumn = view->firstColumn = 0;
        view->state |= kViewRedrawAll;
    }
}

// ---- Documents ----

Document *FindDocument(const char *path, bool create) {
    Document *prev = nullptr;
    Document *doc = g_editor->documents;
    for (; doc; prev = doc, doc = doc->next) {
        int order = strcmp(doc->path, path);
        if (order == 0)
            return doc;
        if (order > 0)
            break;
    }
    if (!create)
        return nullptr;
    if (strlen(path) > kMaxPathLength || !path[0]) {
        IncorrectFileName(path);
        return nullptr;
    }
    Document *fresh = static_cast<Document *>(Allocate(sizeof(Document)));
    Line *sentinel = NewLine("", 0);
    if (!fresh || !sentinel) {
        Release(fresh);
        FreeLine(nullptr, sentinel);
        NoMemory();
        return nullptr;
    }
    sentinel->next = sentinel->prev = sentinel;
    fresh->sentinel = sentinel;
    strcpy(fresh->path, path);
    fresh->next = doc;
    if (prev)
        prev->next = fresh;
    else
        g_editor->documents = fresh;
    return fresh;
}

static void UnlinkDocument(Document *doc) {
    for (Document **link = &g_editor->documents; *link; link = &(*link)->next) {
        if (*link == doc) {
            *link = doc->next;
            return;
        }
    }
}

void RenamedDocument(Document *doc) {
    UnlinkDocument(doc);
    Document *prev = nullptr;
    Document *at = g_editor->documents;
    while (at && strcmp(at->path, doc->path) < 0) {
        prev = at;
        at = at->next;
    }
    doc->next = at;
    if (prev)
        prev->next = doc;
    else
        g_editor->documents = doc;
}

void FreeDocument(Document *doc) {
    if (!doc || doc->viewCount > 0)
        return;
    ForgetDocumentRecords(doc);
    ReleaseBrowseInfo(doc);
    FreeLines(doc);
    UnlinkDocument(doc);
    if (g_editor->doc == doc)
        g_editor->doc = nullptr;
    FreeLine(nullptr, doc->sentinel);
    Release(doc);
}

// The path that `text` names, as typed: quotes or the first blank end it.
static bool PathAsTyped(const char *text, char *path) {
    const char *start = text;
    size_t length;
    if (*start == '"') {
        start++;
        const char *end = strchr(start, '"');
        length = end ? static_cast<size_t>(end - start) : strlen(start);
    } else {
        length = strcspn(start, " ");
    }
    if (length == 0 || length > kMaxPathLength) {
        char shown[kMaxPathLength + 8];
        CopyBounded(shown, start, length + 1 < sizeof shown ? length + 1 : sizeof shown);
        IncorrectFileName(shown);
        return false;
    }
    memcpy(path, start, length);
    path[length] = '\0';
    return true;
}

bool DocumentPath(const char *text, char *path) {
    if (!PathAsTyped(text, path))
        return false;
    UpperCase(path);
    return true;
}

void ForgetRecentFile(const char *path) {
    char **recent = g_editor->recent;
    for (int i = 0; i < kRecentFileCount && recent[i]; i++) {
        if (strcmp(recent[i], path) != 0)
            continue;
        Release(recent[i]);
        memmove(&recent[i], &recent[i + 1], (kRecentFileCount - 1 - i) * sizeof(char *));
        recent[kRecentFileCount - 1] = nullptr;
        return;
    }
}

void RememberRecentFile(const char *path) {
    char **recent = g_editor->recent;
    int used = 0;
    while (used < kRecentFileCount && recent[used])
        used++;
    for (int i = 0; i < used; i++) {
        if (strcmp(recent[i], path) == 0) {
            char *same = recent[i];
            memmove(&recent[i], &recent[i + 1], (used - 1 - i) * sizeof(char *));
            recent[used - 1] = same;
            return;
        }
    }
    char *copy = DupString(path);
    if (!copy)
        return;
    if (used == kRecentFileCount) {
        Release(recent[0]);
        memmove(&recent[0], &recent[1], (kRecentFileCount - 1) * sizeof(char *));
        used--;
    }
    recent[used] = copy;
}

// ---- Views ----

void SavePositions(View *view) {
    Document *doc = view->doc;
    doc->savedLine = view->current;
    doc->savedAnchor = view->anchor;
    doc->savedColumn = view->column;
    doc->savedAnchorColumn = view->anchorColumn;
}

void MakeCurrent(View *view) {
    if (g_editor->view && g_editor->view != view && g_editor->view->doc)
        SavePositions(g_editor->view);
    g_editor->view = view;
    g_editor->doc = view ? view->doc : nullptr;
}

View *AttachView(HWND window, const char *path) {
    Document *doc = FindDocument(path, true);
    if (!doc || doc->viewCount == 255)   // the count is a byte
        return nullptr;
    View *view = static_cast<View *>(Allocate(sizeof(View)));
    if (!view) {
        NoMemory();
        if (doc->viewCount == 0)
            FreeDocument(doc);
        return nullptr;
    }
    if (g_editor->view && g_editor->doc)
        SavePositions(g_editor->view);
    view->window = window;
    view->doc = doc;
    view->current = doc->savedLine ? doc->savedLine : FirstLine(doc);
    view->top = view->current;
    view->anchor = doc->savedAnchor;
    view->column = doc->savedColumn;
    view->anchorColumn = doc->savedAnchorColumn;
    view->state = kViewRedrawAll;
    View **link = &g_editor->views;
    while (*link)
        link = &(*link)->next;
    *link = view;
    doc->viewCount++;
    // A document without a file (the permanent "untitled") shows in one window at a time.
    if (doc->flags & kDocNoFile) {
        for (View *other = g_editor->views; other;) {
            View *next = other->next;
            if (other->doc == doc && other != view)
                DetachView(other);
            other = next;
        }
    }
    g_editor->view = view;
    g_editor->doc = doc;
    return view;
}

void DetachView(View *view) {
    BookmarksDropView(view);
    for (View **link = &g_editor->views; *link; link = &(*link)->next) {
        if (*link == view) {
            *link = view->next;
            break;
        }
    }
    Document *doc = view->doc;
    if (g_editor->view == view) {
        SavePositions(view);
        g_editor->view = nullptr;
        g_editor->doc = nullptr;
    }
    Release(view);
    if (doc && doc->viewCount > 0 && --doc->viewCount == 0) {
        RememberDocumentBreakpoints(doc);
        FreeDocument(doc);
    }
}

View *FirstViewOf(Document *doc) {
    for (View *view = g_editor->views; view; view = view->next)
        if (view->doc == doc)
            return view;
    return nullptr;
}

bool IsProgramPath(const char *path) {
    size_t n = strlen(path);
    return n >= 4 && strcmp(path + n - 4, ".EXE") == 0;
}

bool OpenPath(const char *path) {
    char quoted[kMaxPathLength + 8];
    if (strlen(path) > kMaxPathLength) {
        IncorrectFileName(path);
        return false;
    }
    snprintf(quoted, sizeof quoted, "\"%s\"", path);
    return OpenDocument(quoted);
}

bool OpenDocument(const char *text) {
    while (*text == ' ')
        text++;
    char typed[kMaxPathLength + 1], path[kMaxPathLength + 1];
    if (!PathAsTyped(text, typed))
        return false;
    CopyBounded(path, typed, sizeof path);
    UpperCase(path);
    if (IsProgramPath(path))
        return StartDebugging(text);
    // A directory is no document.
    size_t n = strlen(path);
    if (n > 0 && (path[n - 1] == '\\' || path[n - 1] == '/' || IsDirectory(path))) {
        IncorrectFileName(typed);
        return false;
    }
    Document *doc = FindDocument(path, false);
    if (doc) {
        if (View *view = FirstViewOf(doc)) {
            ActivateEditorWindow(view);
            RememberRecentFile(path);
            return true;
        }
    }
    // A new editor window (none before the frame exists), its view, then the text.
    HWND window = CreateEditorWindow(path);
    View *view = AttachView(window, path);
    if (!view) {
        DestroyEditorWindow(window);
        return false;
    }
    if (window)
        AttachWindowToView(view, window);
    if (!view->doc->diskPath[0])
        SetDiskPath(view->doc, typed);
    bool ok = ReadDocument(path);
    if (window) {
        ActivateEditorWindow(view);
        UpdateFrameTitle();
    }
    return ok;
}

Document *LoadQuiet(const char *path) {
    Document *doc = FindDocument(path, false);
    if (doc)
        return doc;   // already open: its text (edits included) is what the caller wants
    if (!FileExists(path))
        return nullptr;
    doc = FindDocument(path, true);
    if (!doc)
        return nullptr;
    View *view = g_editor->view;
    Document *current = g_editor->doc;
    g_editor->view = nullptr;
    g_editor->doc = doc;
    bool read = ReadDocument(path);
    g_editor->view = view;
    g_editor->doc = current;
    if (!read) {
        FreeDocument(doc);
        return nullptr;
    }
    return doc;
}
