#include "editor/Bookmarks.h"

#include <stdio.h>
#include <string.h>

#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorWindow.h"
#include "platform/UiPort.h"

namespace {

Bookmark *g_bookmarks;
Bookmark *g_current;

void Unlink(Bookmark *mark) {
    // The line no longer shows the mark (a line has one bookmark at most).
    mark->line->flags &= static_cast<unsigned char>(~kLineMarked);
    if (mark->view && mark->view->window)
        mark->view->state |= kViewRedrawAll;
    if (mark->prev)
        mark->prev->next = mark->next;
    else
        g_bookmarks = mark->next;
    if (mark->next)
        mark->next->prev = mark->prev;
    if (g_current == mark)
        g_current = mark->next ? mark->next : g_bookmarks;
    Release(mark);
}

// Shows the "Book marks" dialog; returns the chosen bookmark or null.
Bookmark *ChooseBookmark() {
    int count = BookmarkCount();
    if (count == 0) {
        InfoBox(GetString(kStrNoBookmarks));
        return nullptr;
    }
    char **texts = static_cast<char **>(Allocate(count * sizeof(char *)));
    if (!texts) {
        NoMemory();
        return nullptr;
    }
    int n = 0;
    for (Bookmark *mark = g_bookmarks; mark; mark = mark->next) {
        texts[n] = static_cast<char *>(Allocate(200));
        if (!texts[n])
            break;
        BookmarkText(mark, texts[n], 200);
        n++;
    }
    int choice = CurrentUiPort()->ChooseFromList("Book marks", texts, n);
    for (int i = 0; i < n; i++)
        Release(texts[i]);
    Release(texts);
    Bookmark *mark = g_bookmarks;
    for (int i = 0; mark && i < choice; i++)
        mark = mark->next;
    return choice >= 0 ? mark : nullptr;
}

} // namespace

Bookmark *FirstBookmark() { return g_bookmarks; }
Bookmark *CurrentBookmark() { return g_current; }

int BookmarkCount() {
    int n = 0;
    for (Bookmark *mark = g_bookmarks; mark; mark = mark->next)
        n++;
    return n;
}

void SetBookmark() {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || IsSentinel(view->doc, view->current))
        return;
    for (Bookmark *mark = g_bookmarks; mark; mark = mark->next) {
        if (mark->line == view->current) {
            mark->view = view;
            mark->column = view->column;
            g_current = mark;
            return;
        }
    }
    Bookmark *mark = static_cast<Bookmark *>(Allocate(sizeof(Bookmark)));
    if (!mark) {
        NoMemory();
        return;
    }
    mark->line = view->current;
    // The line shows that it holds a bookmark.
    mark->line->flags |= kLineMarked;
    view->state |= kViewRedrawAll;
    RefreshEditorWindow(view);
    mark->view = view;
    mark->column = view->column;
    mark->next = g_bookmarks;
    if (g_bookmarks)
        g_bookmarks->prev = mark;
    g_bookmarks = mark;
    g_current = mark;
}

void BookmarkText(const Bookmark *mark, char *text, int size) {
    const Document *doc = mark->view->doc;
    const char *name = strrchr(doc->path, '\\');
    name = name ? name + 1 : doc->path;
    char line[61];
    int n = mark->line->length < 60 ? mark->line->length : 60;
    memcpy(line, mark->line->text, n);
    line[n] = '\0';
    for (char *p = line; *p; p++)
        if (*p == '\t')
            *p = ' ';
    snprintf(text, size, "%s(%ld): %s", name, LineNumberOf(doc, mark->line), line);
}

void VisitBookmark(Bookmark *mark) {
    g_current = mark;
    ActivateEditorWindow(mark->view);
    View *view = g_editor->view;
    if (view != mark->view)
        return;
    CancelSelection();
    EndVerticalMove();
    view->current = mark->line;
    view->column = 0;
    view->state |= kViewRedrawAll | kViewCaretMoved;
    KeepCursorVisible(view);
    RefreshEditorWindow(view);
}

bool GotoBookmark() {
    Bookmark *mark = ChooseBookmark();
    if (!mark)
        return false;
    VisitBookmark(mark);
    return true;
}

bool DeleteBookmark() {
    Bookmark *mark = ChooseBookmark();
    if (!mark)
        return false;
    View *view = mark->view;
    Unlink(mark);
    RefreshEditorWindow(view);   // its line loses the mark
    return true;
}

bool GotoNextBookmark() {
    if (!g_bookmarks) {
        InfoBox(GetString(kStrNoBookmarks));
        return false;
    }
    Bookmark *next = g_current && g_current->next ? g_current->next : g_bookmarks;
    VisitBookmark(next);
    return true;
}

void RemoveBookmark(Bookmark *mark) { Unlink(mark); }

void FreeBookmarks() {
    while (g_bookmarks)
        Unlink(g_bookmarks);
    g_current = nullptr;
}

void BookmarksFollowLine(const Line *old, Line *now) {
    for (Bookmark *mark = g_bookmarks; mark; mark = mark->next)
        if (mark->line == old)
            mark->line = now;
}

void BookmarksDropLine(const Line *line) {
    for (Bookmark *mark = g_bookmarks; mark;) {
        Bookmark *next = mark->next;
        if (mark->line == line)
            Unlink(mark);
        mark = next;
    }
}

void BookmarksDropView(const View *view) {
    for (Bookmark *mark = g_bookmarks; mark;) {
        Bookmark *next = mark->next;
        if (mark->view == view)
            Unlink(mark);
        mark = next;
    }
}

void BookmarksDropDocument(const Document *doc) {
    for (Bookmark *mark = g_bookmarks; mark;) {
        Bookmark *next = mark->next;
        if (mark->view->doc == doc)
            Unlink(mark);
        mark = next;
    }
}

bool FindDocumentMark(Document *doc, long *line, int *column) {
    Bookmark *found = nullptr;
    if (g_current && g_current->view->doc == doc)
        found = g_current;
    for (Bookmark *mark = g_bookmarks; mark && !found; mark = mark->next)
        if (mark->view->doc == doc)
            found = mark;
    if (!found)
        return false;
    *line = LineNumberOf(doc, found->line);
    *column = found->column + 1;
    return true;
}
