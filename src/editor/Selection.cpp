// The selection of the current view, the cut buffer, and the exchange with the system
// clipboard.
//
// The cut buffer is a chain of blocks of 250 text bytes; lines in it are separated by LF and
// it never holds CR. The system clipboard gets the buffer's text with CR LF line ends.
#include <string.h>

#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "editor/CommentScan.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "platform/Clipboard.h"

namespace {

enum { kCutBlockSize = 250 };

struct CutBlock {
    CutBlock *next;
    char text[kCutBlockSize];
};

CutBlock *g_cutFirst;
CutBlock *g_cutLast;
int g_cutFill = kCutBlockSize;   // bytes used in the last block; full means "allocate first"
long g_cutLength;
// Changed in Kelto since it last went to or came from the system clipboard: leaving the
// program hands over only a cut buffer that changed, so the clipboard a user filled in
// another program stays theirs.
bool g_cutChanged;

View *CurrentView() { return g_editor ? g_editor->view : nullptr; }

// Where a position stands for selections: the sentinel counts as the end of the last line.
void Normalise(const Document *doc, Line *&line, int &column) {
    if (IsSentinel(doc, line) && !IsSentinel(doc, line->prev)) {
        line = line->prev;
        column = line->length;
    }
    if (column > line->length)
        column = line->length;
}

} // namespace

void BeginSelection() {
    View *view = CurrentView();
    if (view && !view->anchor) {
        view->anchor = view->current;
        view->anchorColumn = view->column;
        view->doc->savedAnchor = view->anchor;
        view->doc->savedAnchorColumn = view->anchorColumn;
    }
}

bool HasSelection() {
    View *view = CurrentView();
    return view && view->anchor;
}

void CancelSelection() {
    View *view = CurrentView();
    if (!view || !view->anchor)
        return;
    bool empty = view->anchor == view->current && view->anchorColumn == view->column;
    view->anchor = nullptr;
    view->anchorColumn = 0;
    view->doc->savedAnchor = nullptr;
    view->doc->savedAnchorColumn = 0;
    if (!empty)
        view->state |= kViewRedrawAll;
}

bool SelectionRange(Line **startLine, int *startColumn, long *length) {
    View *view = CurrentView();
    if (!view || !view->anchor)
        return false;
    Document *doc = view->doc;
    Line *cursorLine = view->current;
    int cursorColumn = view->column;
    Line *anchorLine = view->anchor;
    int anchorColumn = view->anchorColumn;
    Normalise(doc, cursorLine, cursorColumn);
    Normalise(doc, anchorLine, anchorColumn);
    Line *fromLine, *toLine;
    int fromColumn, toColumn;
    if (anchorLine == cursorLine) {
        fromLine = toLine = cursorLine;
        fromColumn = anchorColumn < cursorColumn ? anchorColumn : cursorColumn;
        toColumn = anchorColumn < cursorColumn ? cursorColumn : anchorColumn;
    } else {
        // Look for the anchor after the cursor, then before it.
        bool after = false;
        for (Line *l = cursorLine->next; !IsSentinel(doc, l); l = l->next)
            if (l == anchorLine) {
                after = true;
                break;
            }
        bool before = false;
        if (!after)
            for (Line *l = cursorLine->prev; !IsSentinel(doc, l); l = l->prev)
                if (l == anchorLine) {
                    before = true;
                    break;
                }
        if (!after && !before) {
            ErrorMessage(kStrInternalError);
            view->anchor = nullptr;
            view->doc->savedAnchor = nullptr;
            return false;
        }
        fromLine = after ? cursorLine : anchorLine;
        fromColumn = after ? cursorColumn : anchorColumn;
        toLine = after ? anchorLine : cursorLine;
        toColumn = after ? anchorColumn : cursorColumn;
    }
    long n = 0;
    if (fromLine == toLine) {
        n = toColumn - fromColumn;
    } else {
        n = fromLine->length - fromColumn + 1;
        for (Line *l = fromLine->next; l != toLine; l = l->next)
            n += l->length + 1;
        n += toColumn;
    }
    *startLine = fromLine;
    *startColumn = fromColumn;
    *length = n;
    return true;
}

bool SelectionBounds(Line **fromLine, int *fromColumn, Line **toLine, int *toColumn) {
    View *view = CurrentView();
    if (!view || !view->anchor)
        return false;
    Document *doc = view->doc;
    Line *a = view->anchor, *c = view->current;
    int ac = view->anchorColumn, cc = view->column;
    Normalise(doc, a, ac);
    Normalise(doc, c, cc);
    if (a == c && ac == cc)
        return false;
    bool anchorFirst = a == c ? ac < cc : false;
    if (a != c) {
        for (Line *l = a->next; !IsSentinel(doc, l); l = l->next)
            if (l == c) {
                anchorFirst = true;
                break;
            }
    }
    *fromLine = anchorFirst ? a : c;
    *fromColumn = anchorFirst ? ac : cc;
    *toLine = anchorFirst ? c : a;
    *toColumn = anchorFirst ? cc : ac;
    return true;
}

char *SelectionText(long *length) {
    Line *line = nullptr;
    int column = 0;
    long n = 0;
    *length = 0;
    if (!SelectionRange(&line, &column, &n))
        return nullptr;
    char *text = static_cast<char *>(Allocate(n + 1));
    if (!text) {
        NoMemory();
        return nullptr;
    }
    long i = 0;
    while (i < n) {
        int take = line->length - column;
        if (take > n - i)
            take = static_cast<int>(n - i);
        memcpy(text + i, line->text + column, take);
        i += take;
        if (i < n) {
            text[i++] = '\n';
            line = line->next;
            column = 0;
        }
    }
    text[n] = '\0';
    *length = n;
    return text;
}

void ClearCutBuffer() {
    while (CutBlock *block = g_cutFirst) {
        g_cutFirst = block->next;
        Release(block);
    }
    g_cutLast = nullptr;
    g_cutFill = kCutBlockSize;
    g_cutLength = 0;
    g_cutChanged = true;
}

void AppendCutBuffer(const char *text, long length) {
    for (long i = 0; i < length; i++) {
        if (g_cutFill == kCutBlockSize) {
            CutBlock *block = static_cast<CutBlock *>(Allocate(sizeof(CutBlock)));
            if (!block) {
                NoMemory();
                return;
            }
            if (g_cutLast)
                g_cutLast->next = block;
            else
                g_cutFirst = block;
            g_cutLast = block;
            g_cutFill = 0;
        }
        g_cutLast->text[g_cutFill++] = text[i];
        g_cutLength++;
        g_cutChanged = true;
    }
}

long CutBufferLength() { return g_cutLength; }

char *CutBufferText(long *length) {
    *length = g_cutLength;
    if (g_cutLength == 0)
        return nullptr;
    char *text = static_cast<char *>(Allocate(g_cutLength + 1));
    if (!text) {
        NoMemory();
        *length = 0;
        return nullptr;
    }
    long i = 0;
    for (CutBlock *block = g_cutFirst; block; block = block->next) {
        int used = block == g_cutLast ? g_cutFill : kCutBlockSize;
        memcpy(text + i, block->text, used);
        i += used;
    }
    text[i] = '\0';
    return text;
}

void CopySelection() {
    long length = 0;
    char *text = SelectionText(&length);
    if (!text)
        return;
    ClearCutBuffer();
    AppendCutBuffer(text, length);
    Release(text);
}

// Deletes the selection (into the cut buffer when `keep`) and cancels it.
static void DeleteSelected(bool keep) {
    View *view = CurrentView();
    Line *line = nullptr;
    int column = 0;
    long length = 0;
    if (!view || !SelectionRange(&line, &column, &length))
        return;
    if (keep)
        ClearCutBuffer();
    view->anchor = nullptr;
    view->doc->savedAnchor = nullptr;
    view->current = line;
    view->column = static_cast<unsigned short>(column);
    long left = length;
    while (left > 0) {
        int part = left > 30000 ? 30000 : static_cast<int>(left);
        int done = DeleteChars(part, keep);
        if (done <= 0)
            break;
        left -= done;
    }
    view->state |= kViewRedrawAll | kViewCaretMoved;
}

void DeleteSelection() { DeleteSelected(true); }
void RemoveSelection() { DeleteSelected(false); }

long PasteBuffer() {
    View *view = CurrentView();
    if (!view)
        return 0;
    if (view->anchor)
        RemoveSelection();
    long length = 0;
    char *text = CutBufferText(&length);
    if (!text)
        return 0;
    long inserted = InsertText(text, length);
    Release(text);
    view->doc->flags &= ~kDocFunctionsValid;
    InvalidateCommentSpans(view->doc);
    view->state |= kViewRedrawAll | kViewCaretMoved;
    return inserted;
}

char *ClipboardBlock(long *length) {
    *length = 0;
    char *block = static_cast<char *>(Allocate(kClipboardLimit + 1));
    if (!block) {
        NoMemory();
        return nullptr;
    }
    long n = 0;
    for (CutBlock *b = g_cutFirst; b && n < kClipboardLimit; b = b->next) {
        int used = b == g_cutLast ? g_cutFill : kCutBlockSize;
        for (int i = 0; i < used && n < kClipboardLimit; i++) {
            if (b->text[i] == '\n') {
                block[n++] = '\r';
                if (n == kClipboardLimit)
                    break;
            }
            block[n++] = b->text[i];
        }
    }
    block[n] = '\0';
    *length = n;
    return block;
}

bool ExportClipboard(void *window) {
    if (!g_cutChanged || g_cutLength == 0)
        return false;
    long length = 0;
    char *block = ClipboardBlock(&length);
    if (!block)
        return false;
    bool ok = PutClipboardText(static_cast<HWND>(window), block, length);
    Release(block);
    g_cutChanged = !ok;
    return ok;
}

bool ImportClipboard(void *window) {
    long length = 0;
    char *text = TakeClipboardText(static_cast<HWND>(window), &length, Allocate);
    if (!text)
        return false;
    ClearCutBuffer();
    long start = 0;
    for (long i = 0; i <= length; i++) {
        if (i == length || text[i] == '\r') {
            AppendCutBuffer(text + start, i - start);
            start = i + 1;
        }
    }
    Release(text);
    g_cutChanged = false;
    return true;
}
