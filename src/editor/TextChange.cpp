// Changing the text of the current document: inserting characters and text, line breaks with
// automatic indentation, deleting and joining, and the tab/space conversions.
//
// Lines never hold more than kMaxLineLength characters. A line that must grow past its
// capacity is replaced by a larger record of the document (its length rounded up to 16); a
// line joined to the one above is freed. Both go through FollowLine, which moves every
// reference to the old record, and the old record goes back through FreeLine.
#include <string.h>

#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "editor/Bookmarks.h"
#include "editor/CommentScan.h"
#include "editor/CommentSpans.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/Journal.h"
#include "editor/Language.h"

namespace {



inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The number (from 0) of `line` when it is the cursor's, which is known without counting;
// -1 otherwise.
long KnownNumber(const Document *doc, const Line *line) {
    View *view = g_editor->view;
    return view && view->doc == doc && view->current == line && !IsSentinel(doc, line) ? CurrentLineNumber() - 1 : -1;
}

// Moves every reference to `old` over to `now`; positions on `old` gain `shift` columns.
void FollowLine(Document *doc, Line *old, Line *now, int shift, long number) {
    for (View *view = g_editor->views; view; view = view->next) {
        if (view->doc != doc)
            continue;
        if (view->current == old) {
            view->current = now;
            view->column = static_cast<unsigned short>(view->column + shift);
        }
        if (view->anchor == old) {
            view->anchor = now;
            view->anchorColumn = static_cast<unsigned short>(view->anchorColumn + shift);
        }
        if (view->top == old)
            view->top = now;
    }
    if (doc->savedLine == old) {
        doc->savedLine = now;
        doc->savedColumn = static_cast<unsigned short>(doc->savedColumn + shift);
    }
    if (doc->savedAnchor == old) {
        doc->savedAnchor = now;
        doc->savedAnchorColumn = static_cast<unsigned short>(doc->savedAnchorColumn + shift);
    }
    ForCommentSpansOn(doc, number, [=](CommentSpan *span) {
        if (span->firstLine == old) {
            span->firstLine = now;
            span->firstColumn = static_cast<unsigned short>(span->firstColumn + shift);
        }
        if (span->lastLine == old) {
            span->lastLine = now;
            span->lastColumn = static_cast<unsigned short>(span->lastColumn + shift);
        }
    });
    LineRecordReplaced(old, now);
}

// Positions on `line` after column `at` move right by n (the current view's cursor at `at` too).
void ShiftAfter(Document *doc, Line *line, int at, int n, View *self) {
    for (View *view = g_editor->views; view; view = view->next) {
        if (view->doc != doc)
            continue;
        if (view->current == line && (view->column > at || (view == self && view->column == at)))
            view->column = static_cast<unsigned short>(view->column + n);
        if (view->anchor == line && view->anchorColumn > at)
            view->anchorColumn = static_cast<unsigned short>(view->anchorColumn + n);
    }
    if (doc->savedLine == line && doc->savedColumn > at)
        doc->savedColumn = static_cast<unsigned short>(doc->savedColumn + n);
    if (doc->savedAnchor == line && doc->savedAnchorColumn > at)
        doc->savedAnchorColumn = static_cast<unsigned short>(doc->savedAnchorColumn + n);
    ForCommentSpansOn(doc, KnownNumber(doc, line), [=](CommentSpan *span) {
        if (span->firstLine == line && span->firstColumn >= at)
            span->firstColumn = static_cast<unsigned short>(span->firstColumn + n);
        if (span->lastLine == line && span->lastColumn >= at)
            span->lastColumn = static_cast<unsigned short>(span->lastColumn + n);
    });
}

// Positions on `line` after column `at` move left by n, but not before `at`.
void ShrinkAfter(Document *doc, Line *line, int at, int n) {
    auto shrink = [at, n](unsigned short &column) {
        if (column > at)
            column = static_cast<unsigned short>(column - n < at ? at : column - n);
    };
    for (View *view = g_editor->views; view; view = view->next) {
        if (view->doc != doc)
            continue;
        if (view->current == line)
            shrink(view->column);
        if (view->anchor == line)
            shrink(view->anchorColumn);
    }
    if (doc->savedLine == line)
        shrink(doc->savedColumn);
    if (doc->savedAnchor == line)
        shrink(doc->savedAnchorColumn);
    ForCommentSpansOn(doc, KnownNumber(doc, line), [&](CommentSpan *span) {
        if (span->firstLine == line)
            shrink(span->firstColumn);
        if (span->lastLine == line)
            shrink(span->lastColumn);
    });
}

// Inserts `n` characters (from `text`, or n copies of `fill` when text is null) at the cursor.
bool InsertAtCursor(const char *text, int n, int fill) {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || n < 1)
        return false;
    Document *doc = view->doc;
    if (IsSentinel(doc, view->current)) {
        // Typing below the last line makes a new last line.
        if (n > kMaxLineLength) {
            NoMemory();
            return false;
        }
        Line *line = NewLine(text, n, doc);
        if (!line) {
            NoMemory();
            return false;
        }
        if (!text)
            memset(line->text, fill, n);
        LinkLineAfter(doc->sentinel->prev, line);
        doc->lineCount++;
        ForgetLineNumber();
        view->current = line;
        view->column = static_cast<unsigned short>(n);
        view->state |= kViewCaretMoved;
        if (doc->language && doc->language->characterHook)
            doc->language->characterHook(line, 0, static_cast<unsigned char>(line->text[0]));
        DocumentChanged(doc);
        return true;
    }
    int at = view->column;
    if (at > kMaxInsertColumn && !g_editor->anyColumn) {
        InternalError(29512);
        return false;
    }
    Line *line = view->current;
    if (at > line->length)
        at = line->length;
    if (line->length + n > kMaxLineLength) {
        NoMemory();
        return false;
    }
    line = ReserveLine(doc, line, line->length + n);
    if (!line) {
        NoMemory();
        return false;
    }
    memmove(line->text + at + n, line->text + at, line->length - at);
    if (text)
        memcpy(line->text + at, text, n);
    else
        memset(line->text + at, fill, n);
    line->length = static_cast<short>(line->length + n);
    ShiftAfter(doc, line, at, n, view);
    if (doc->language && doc->language->characterHook)
        for (int i = 0; i < n; i++)
            doc->language->characterHook(line, at + i, static_cast<unsigned char>(line->text[at + i]));
    view->state |= kViewCaretMoved;
    DocumentChanged(doc);
    return true;
}

// Takes `next` (the line after `line`) out of the document and appends its text to `line`.
bool JoinNext(Document *doc, Line *line) {
    Line *next = line->next;
    int at = line->length;
    if (at + next->length > kMaxLineLength)
        return false;
    long number = KnownNumber(doc, line);
    line = ReserveLine(doc, line, at + next->length);
    if (!line) {
        NoMemory();
        return false;
    }
    memcpy(line->text + at, next->text, next->length);
    line->length = static_cast<short>(at + next->length);
    // The bookmark of the lower line goes with it, and so does its mark.
    line->flags |= next->flags & ~kLineMarked;
    LineNumberShifted(line, 0);
    FollowLine(doc, next, line, at, number < 0 ? -1 : number + 1);
    if (number >= 0)
        CommentLinesShifted(doc, number, -1);
    else
        InvalidateCommentSpans(doc);
    BookmarksDropLine(next);
    next->prev->next = next->next;
    next->next->prev = next->prev;
    FreeLine(doc, next);
    doc->lineCount--;
    if (doc->language && doc->language->characterHook)
        doc->language->characterHook(line, at, '\n');
    return true;
}

// Takes the empty last line `line` out; whatever stood on it moves to the sentinel.
void RemoveEmptyLastLine(Document *doc, Line *line) {
    FollowLine(doc, line, doc->sentinel, 0, doc->lineCount - 1);
    ForgetLineNumber();
    BookmarksDropLine(line);
    line->prev->next = line->next;
    line->next->prev = line->prev;
    FreeLine(doc, line);
    doc->lineCount--;
    // The change-tracking of the comment spans counts lines from the end: it must hear of it.
    NoteCommentChange(doc, doc->lineCount - 1, doc->lineCount - 1);
    bool gone = false;
    ForCommentSpansOn(doc, doc->lineCount, [&](CommentSpan *span) {
        gone = gone || span->firstLine == doc->sentinel || span->lastLine == doc->sentinel;
    });
    if (gone)
        InvalidateCommentSpans(doc);
}

int LeadingWidth(const Line *line, int *characters) {
    int i = 0;
    while (i < line->length && IsBlank(line->text[i]))
        i++;
    if (characters)
        *characters = i;
    return VisualColumnOf(line, i);
}

// The first word of a line: the run of lower-case letters after its leading white space.
void FirstWord(const Line *line, char *word) {
    int i = 0;
    while (i < line->length && IsBlank(line->text[i]))
        i++;
    int n = 0;
    while (i < line->length && n < 100 && line->text[i] >= 'a' && line->text[i] <= 'z')
        word[n++] = line->text[i++];
    word[n] = '\0';
    // "else_count" is no "else".
    char next = i < line->length ? line->text[i] : ' ';
    if ((next >= 'A' && next <= 'Z') || (next >= '0' && next <= '9') || next == '_')
        word[0] = '\0';
}

char LastNonBlank(const Line *line) {
    for (int i = line->length - 1; i >= 0; i--)
        if (!IsBlank(line->text[i]))
            return line->text[i];
    return '\0';
}

bool IsOpener(const Line *line) {
    char last = LastNonBlank(line);
    if (last == '{')
        return true;
    char word[101];
    FirstWord(line, word);
    return last == ':' && strcmp(word, "case") == 0;
}

bool IsHeader(const Document *doc, const Line *line) {
    if (IsSentinel(doc, line))
        return false;
    char word[101];
    FirstWord(line, word);
    if (!*word || !IsCKeyword(word))
        return false;
    if (strcmp(word, "else") == 0)
        return true;
    char last = LastNonBlank(line);
    bool governs = strcmp(word, "if") == 0 || strcmp(word, "for") == 0 ||
                   strcmp(word, "while") == 0 || strcmp(word, "do") == 0;
    return governs && (last == ')' || last == '&' || last == '|');
}

} // namespace

Line *ReserveLine(Document *doc, Line *line, int length) {
    if (length <= line->capacity)
        return line;
    long number = KnownNumber(doc, line);
    Line *bigger = NewLineRecord(doc, (length + 15) & ~15);
    if (!bigger)
        return nullptr;
    bigger->length = line->length;
    bigger->flags = line->flags;
    memcpy(bigger->text, line->text, line->length);
    bigger->prev = line->prev;
    bigger->next = line->next;
    line->prev->next = bigger;
    line->next->prev = bigger;
    FollowLine(doc, line, bigger, 0, number);
    BookmarksFollowLine(line, bigger);
    FreeLine(doc, line);
    return bigger;
}

void AllowAnyColumn(bool allow) {
    if (g_editor)
        g_editor->anyColumn = allow;
}

void DocumentChanged(Document *doc) {
    doc->flags |= kDocModified;
    doc->flags &= ~(kDocAutosaved | kDocFunctionsValid);
    unsigned char bit = doc->viewCount > 1 ? kViewRedrawAll : kViewLineChanged;
    for (View *view = g_editor->views; view; view = view->next) {
        if (view->doc != doc)
            continue;
        if (view->highlight) {
            view->highlight = nullptr;
            view->state |= kViewRedrawAll;
        }
        if (bit == kViewLineChanged) {
            // Every change reported here is on the cursor's line; a second line changed before
            // the window caught up means more than one row to draw again.
            long number = view == g_editor->view ? CurrentLineNumber() : -1;
            if (number < 0 || ((view->state & kViewLineChanged) && view->changedLine != number))
                view->state |= kViewRedrawAll;
            view->changedLine = number;
        }
        view->state |= bit;
    }
}

bool InsertChars(int n, int c) { return InsertAtCursor(nullptr, n, c); }

void TypeChar(int c, int n, char *removed) {
    if (removed)
        *removed = '\0';
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || n < 1 || (c < 32 && c != '\t') || c > 255)
        return;
    Document *doc = view->doc;
    if (!IsSentinel(doc, view->current) && view->current->length >= kLongLine) {
        ErrorMessage(kStrLineTooLong);
        JournalAutomatic(10);
        SplitLine();
    }
    if (view->state & kViewOverwrite) {
        for (int i = 0; i < n && !IsSentinel(doc, view->current); i++) {
            Line *line = view->current;
            if (view->column >= line->length)
                break;
            char under = line->text[view->column];
            // A tab that reaches past the next column absorbs the typed character.
            if (under == '\t' &&
                VisualColumnOf(line, view->column + 1) != VisualColumnOf(line, view->column) + 1)
                continue;
            JournalAutomatic(static_cast<unsigned char>(under));
            DeleteChars(1, false);
        }
    }
    if (c == '}' && (doc->flags & kDocCSource) && g_autoIndent && !IsSentinel(doc, view->current)) {
        Line *line = view->current;
        int characters = 0;
        LeadingWidth(line, &characters);
        if (characters == line->length) {
            int visual = VisualColumnOf(line, view->column) - TabWidth();
            int cut = ColumnAtVisual(line, visual < 0 ? 0 : visual, nullptr);
            if (removed) {
                int keep = line->length - cut;
                if (keep > kMaxInsertColumn)
                    keep = kMaxInsertColumn;
                memcpy(removed, line->text + cut, keep);
                removed[keep] = '\0';
            }
            int gone = line->length - cut;
            line->length = static_cast<short>(cut);
            ShrinkAfter(doc, line, cut, gone);
            if (gone > 0 && doc->language && doc->language->characterHook)
                doc->language->characterHook(line, cut, -gone);
            view->column = static_cast<unsigned short>(cut);
            DocumentChanged(doc);
        }
    }
    InsertChars(n, c);
}

bool SplitLine() {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view)
        return false;
    Document *doc = view->doc;
    Line *line = view->current;
    long number = KnownNumber(doc, line);
    int at = IsSentinel(doc, line) ? 0 : view->column;
    if (at > line->length)
        at = line->length;
    Line *first = NewLine(line->text, at, doc);
    if (!first) {
        NoMemory();
        return false;
    }
    LinkLineAfter(line->prev, first);
    if (!IsSentinel(doc, line)) {
        memmove(line->text, line->text + at, line->length - at);
        line->length = static_cast<short>(line->length - at);
        // A break after the line's start leaves the line's marks and bookmarks above it.
        if (at > 0) {
            first->flags = line->flags;
            line->flags = 0;
            BookmarksFollowLine(line, first);
        }
    }
    auto follow = [&](Line *&where, unsigned short &column, bool self) {
        if (where != line)
            return;
        if (column < at && !self) {
            where = first;
        } else {
            column = static_cast<unsigned short>(column < at ? 0 : column - at);
        }
    };
    for (View *v = g_editor->views; v; v = v->next) {
        if (v->doc != doc)
            continue;
        follow(v->current, v->column, v == view);
        if (v->anchor)
            follow(v->anchor, v->anchorColumn, false);
        // The row that showed the line's start now shows the new line.
        if (v->top == line)
            v->top = first;
        v->state |= kViewRedrawAll;
    }
    follow(doc->savedLine, doc->savedColumn, false);
    if (doc->savedAnchor)
        follow(doc->savedAnchor, doc->savedAnchorColumn, false);
    bool cSource = (doc->flags & kDocCSource) != 0;
    ForCommentSpansOn(doc, number, [&](CommentSpan *span) {
        bool startsBefore = span->firstLine == line && span->firstColumn < at;
        bool endsHere = span->lastLine == line;
        // A "//" comment runs to the end of the line it starts on.
        bool slashes = cSource && span->firstColumn + 1 < first->length &&
                       first->text[span->firstColumn] == '/' && first->text[span->firstColumn + 1] == '/';
        if (startsBefore && endsHere && span->lastColumn >= at && slashes) {
            span->firstLine = first;
            span->lastLine = first;
            span->lastColumn = static_cast<unsigned short>(first->length - 1);
            return;
        }
        if (startsBefore)
            span->firstLine = first;
        else if (span->firstLine == line)
            span->firstColumn = static_cast<unsigned short>(span->firstColumn - at);
        if (endsHere && span->lastColumn < at)
            span->lastLine = first;
        else if (endsHere)
            span->lastColumn = static_cast<unsigned short>(span->lastColumn - at);
    });
    // Below a new last line no comment's line moved.
    if (!IsSentinel(doc, line)) {
        if (number >= 0)
            CommentLineSplit(doc, number, line);
        else
            InvalidateCommentSpans(doc);
    }
    view->column = 0;
    view->state |= kViewCaretMoved;
    doc->lineCount++;
    LineNumberShifted(line, 1);
    // The break may cut a comment's opener or closer in two, or begin a Fortran comment line.
    long lower = CurrentLineNumber() - 1;
    NoteCommentChange(doc, lower - 1, lower);
    DocumentChanged(doc);
    return true;
}

int NewLines(int n) {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || n < 1)
        return 0;
    Document *doc = view->doc;
    if (view->state & kViewOverwrite) {
        if (CursorDown(n))
            view->column = 0;
        EndVerticalMove();
        return 0;
    }
    if (!g_autoIndent || n > 1 || IsSentinel(doc, view->current)) {
        for (int i = 0; i < n; i++)
            if (!SplitLine())
                break;
        return 0;
    }
    // The indentation of the nearest line above that holds something.
    const Line *model = view->current;
    while (!IsSentinel(doc, model) && model->length == 0)
        model = model->prev;
    int width = IsSentinel(doc, model) ? 0 : LeadingWidth(model, nullptr);
    if (!SplitLine())
        return 0;
    Line *upper = view->current->prev;
    int already = 0;
    width -= LeadingWidth(view->current, &already);
    if (doc->flags & kDocCSource) {
        bool header = IsHeader(doc, upper);
        if (upper->length > 0 && (IsOpener(upper) || header) &&
            upper->text[upper->length - 1] != ';')
            width += TabWidth();
        else if (IsHeader(doc, upper->prev))
            width -= TabWidth();
    }
    if (width <= 0)
        return 0;
    int tabs = width / TabWidth();
    int blanks = width % TabWidth();
    view->column = 0;
    int added = 0;
    if (tabs > 0 && InsertChars(tabs, '\t'))
        added += tabs;
    if (blanks > 0 && InsertChars(blanks, ' '))
        added += blanks;
    return added;
}

int DeleteChars(int n, bool toClipboard) {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || n < 1)
        return 0;
    Document *doc = view->doc;
    int deleted = 0;
    while (n > 0 && !IsSentinel(doc, view->current)) {
        Line *line = view->current;
        int at = view->column;
        if (at > line->length)
            at = view->column = line->length;
        int room = line->length - at;
        if (room > 0) {
            int k = n < room ? n : room;
            if (toClipboard)
                AppendCutBuffer(line->text + at, k);
            memmove(line->text + at, line->text + at + k, line->length - at - k);
            line->length = static_cast<short>(line->length - k);
            ShrinkAfter(doc, line, at, k);
            if (doc->language && doc->language->characterHook)
                doc->language->characterHook(line, at, -k);
            n -= k;
            deleted += k;
            continue;
        }
        if (IsSentinel(doc, line->next)) {
            // The break after the last line goes only with an empty last line.
            if (line->length > 0 || at > 0)
                break;
            RemoveEmptyLastLine(doc, line);
        } else if (!JoinNext(doc, line)) {
            break;
        }
        if (toClipboard)
            AppendCutBuffer("\n", 1);
        n--;
        deleted++;
    }
    if (deleted > 0) {
        view->state |= kViewCaretMoved | kViewRedrawAll;
        DocumentChanged(doc);
    }
    return deleted;
}

int Backspace(int n) {
    int moved = 0;
    while (moved < n && CursorLeft(1))
        moved++;
    return moved > 0 ? DeleteChars(moved, false) : 0;
}

long InsertText(const char *text, long length) {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || length < 1)
        return 0;
    Document *doc = view->doc;
    // Text put below the last line is appended: a line it completes with LF is finished and
    // the cursor goes back below it; an unfinished last piece still makes a whole line.
    bool appending = IsSentinel(doc, view->current);
    long inserted = 0;
    long i = 0;
    while (i < length) {
        if (text[i] == '\n') {
            if (appending && !IsSentinel(doc, view->current) && IsSentinel(doc, view->current->next) &&
                view->column == view->current->length) {
                view->current = doc->sentinel;
                view->column = 0;
            } else if (!SplitLine()) {
                break;
            }
            inserted++;
            i++;
            continue;
        }
        long run = 0;
        while (i + run < length && text[i + run] != '\n')
            run++;
        if (!InsertAtCursor(text + i, static_cast<int>(run), 0))
            break;
        inserted += run;
        i += run;
    }
    if (appending && inserted > 0 && !IsSentinel(doc, view->current))
        inserted++;   // the line break that closes the new last line
    return inserted;
}

// Rewrites the leading white space of every line.
static void ConvertLeading(bool toTabs) {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view)
        return;
    Document *doc = view->doc;
    long lineNumber = CurrentLineNumber();
    int visual = CurrentVisualColumn();
    int tab = TabWidth();
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next) {
        int characters = 0;
        int width = LeadingWidth(line, &characters);
        if (characters == 0)
            continue;
        bool hasTab = memchr(line->text, '\t', characters) != nullptr;
        bool hasBlank = memchr(line->text, ' ', characters) != nullptr;
        int tabs, blanks;
        if (toTabs) {
            if ((!hasTab && width < tab) || !hasBlank)
                continue;
            tabs = width / tab;
            blanks = width % tab;
        } else {
            if (!hasTab)
                continue;
            tabs = 0;
            blanks = width;
        }
        int newLength = line->length - characters + tabs + blanks;
        if (newLength > kMaxLineLength)
            continue;   // the line would not hold its expanded indentation
        Line *target = ReserveLine(doc, line, newLength);
        if (!target) {
            NoMemory();
            break;
        }
        line = target;
        memmove(line->text + tabs + blanks, line->text + characters, line->length - characters);
        memset(line->text, '\t', tabs);
        memset(line->text + tabs, ' ', blanks);
        line->length = static_cast<short>(newLength);
    }
    // Columns on changed lines no longer name the same characters: views start afresh there.
    for (View *v = g_editor->views; v; v = v->next) {
        if (v->doc != doc)
            continue;
        if (v->current && v->column > v->current->length)
            v->column = v->current->length;
        if (v->anchor && v->anchorColumn > v->anchor->length)
            v->anchorColumn = v->anchor->length;
        v->state |= kViewRedrawAll;
    }
    GotoPosition(lineNumber, 0);
    SetVisualColumn(visual);
    InvalidateCommentSpans(doc);
    DocumentChanged(doc);
}

void SpacesToTabs() { ConvertLeading(true); }
void TabsToSpaces() { ConvertLeading(false); }
