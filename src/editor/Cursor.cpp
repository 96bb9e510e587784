// Cursor movement, visual columns, line numbers and the window position of the current view.
#include "editor/Document.h"
#include "editor/Editing.h"

int g_tabSize = 4;
bool g_autoIndent = true;

namespace {


// The last line whose number was asked for.
const Line *g_cachedLine;
long g_cachedNumber;

inline View *CurrentView() { return g_editor ? g_editor->view : nullptr; }

void CaretMoved(View *view) { view->state |= kViewCaretMoved; }

} // namespace

int TabWidth() { return g_tabSize < 1 ? 1 : g_tabSize > kMaxTabSize ? kMaxTabSize : g_tabSize; }

int VisualColumnOf(const Line *line, int column) {
    int tab = TabWidth();
    int visual = 0;
    if (column > line->length)
        column = line->length;
    for (int i = 0; i < column; i++)
        visual = line->text[i] == '\t' ? (visual / tab + 1) * tab : visual + 1;
    return visual;
}

int ColumnAtVisual(const Line *line, int visual, bool *reached) {
    int tab = TabWidth();
    int v = 0;
    int i = 0;
    for (; i < line->length && v < visual; i++)
        v = line->text[i] == '\t' ? (v / tab + 1) * tab : v + 1;
    // A tab that jumps past the target leaves the cursor on the tab.
    if (v > visual && i > 0)
        i--;
    if (reached)
        *reached = v >= visual;
    return i;
}

bool CursorLeft(int n) {
    if (n < 0)
        return CursorRight(-n);
    View *view = CurrentView();
    if (!view || n == 0)
        return false;
    Document *doc = view->doc;
    bool moved = false;
    while (n > 0) {
        if (view->column > 0) {
            int step = n < view->column ? n : view->column;
            view->column -= step;
            n -= step;
        } else {
            Line *prev = view->current->prev;
            if (IsSentinel(doc, prev))
                break;
            view->current = prev;
            view->column = prev->length;
            n--;
        }
        moved = true;
    }
    if (moved)
        CaretMoved(view);
    return moved;
}

bool CursorRight(int n) {
    if (n < 0)
        return CursorLeft(-n);
    View *view = CurrentView();
    if (!view || n == 0)
        return false;
    Document *doc = view->doc;
    bool moved = false;
    while (n > 0 && !IsSentinel(doc, view->current)) {
        int room = view->current->length - view->column;
        if (room > 0) {
            int step = n < room ? n : room;
            view->column += step;
            n -= step;
        } else {
            view->current = view->current->next;
            view->column = 0;
            n--;
        }
        moved = true;
    }
    if (moved)
        CaretMoved(view);
    return moved;
}

static bool MoveVertically(int n) {
    View *view = CurrentView();
    if (!view || n == 0)
        return false;
    Document *doc = view->doc;
    if (!g_editor->verticalMove) {
        g_editor->desiredColumn = VisualColumnOf(view->current, view->column);
        g_editor->verticalMove = true;
    }
    Line *line = view->current;
    int moved = 0;
    if (n > 0) {
        for (; moved < n && !IsSentinel(doc, line); moved++)
            line = line->next;
    } else {
        for (; moved < -n && !IsSentinel(doc, line->prev); moved++)
            line = line->prev;
    }
    if (moved == 0)
        return false;
    view->current = line;
    view->column = static_cast<unsigned short>(ColumnAtVisual(line, g_editor->desiredColumn, nullptr));
    CaretMoved(view);
    return true;
}

bool CursorDown(int n) { return MoveVertically(n); }
bool CursorUp(int n) { return MoveVertically(-n); }

void EndVerticalMove() {
    if (g_editor)
        g_editor->verticalMove = false;
}

bool GotoLine(long n) {
    View *view = CurrentView();
    if (!view || n < 1)
        return false;
    EndVerticalMove();
    view->current = NthLine(view->doc, n - 1);
    view->column = 0;
    CaretMoved(view);
    return true;
}

void GotoTop() {
    if (View *view = CurrentView()) {
        EndVerticalMove();
        view->current = FirstLine(view->doc);
        view->column = 0;
        view->state |= kViewCaretMoved | kViewRedrawAll;
    }
}

void GotoEnd() {
    if (View *view = CurrentView()) {
        EndVerticalMove();
        view->current = view->doc->sentinel;
        view->column = 0;
        view->state |= kViewCaretMoved | kViewRedrawAll;
    }
}

bool SetVisualColumn(int visual) {
    View *view = CurrentView();
    if (!view)
        return false;
    bool reached = false;
    view->column = static_cast<unsigned short>(ColumnAtVisual(view->current, visual, &reached));
    CaretMoved(view);
    return reached;
}

void GotoPosition(long line, int column) {
    View *view = CurrentView();
    if (!view)
        return;
    view->current = line < 1 ? FirstLine(view->doc) : NthLine(view->doc, line - 1);
    if (column < 0)
        column = 0;
    if (column > view->current->length)
        column = view->current->length;
    view->column = static_cast<unsigned short>(column);
    CaretMoved(view);
}

void PlaceCursor(Line *line, long number, int column) {
    View *view = CurrentView();
    if (!view)
        return;
    view->current = line;
    if (column < 0)
        column = 0;
    if (column > line->length)
        column = line->length;
    view->column = static_cast<unsigned short>(column);
    g_cachedLine = line;
    g_cachedNumber = number;
    CaretMoved(view);
}

long LineNumberOf(const Document *doc, const Line *line) {
    long number = 1;
    for (const Line *l = FirstLine(doc); l != line && !IsSentinel(doc, l); l = l->next)
        number++;
    return number;
}

long CurrentLineNumber() {
    View *view = CurrentView();
    if (!view)
        return 0;
    const Line *line = view->current;
    if (g_cachedLine && line != g_cachedLine) {
        if (g_cachedLine->next == line && !IsSentinel(view->doc, g_cachedLine))
            g_cachedNumber++;
        else if (g_cachedLine->prev == line && !IsSentinel(view->doc, line))
            g_cachedNumber--;
        else
            g_cachedLine = nullptr;
        if (g_cachedLine)
            g_cachedLine = line;
    }
    if (g_cachedLine != line) {
        g_cachedNumber = LineNumberOf(view->doc, line);
        g_cachedLine = line;
    }
    return g_cachedNumber;
}

void ForgetLineNumber() { g_cachedLine = nullptr; }

void LineRecordReplaced(const Line *old, const Line *now) {
    if (g_cachedLine == old)
        g_cachedLine = now;
}

void LineNumberShifted(const Line *line, int delta) {
    if (g_cachedLine == line)
        g_cachedNumber += delta;
    else
        g_cachedLine = nullptr;
}

int CurrentVisualColumn() {
    View *view = CurrentView();
    return view ? VisualColumnOf(view->current, view->column) : 0;
}

// ---- The window position ----

static int Rows(const View *view) { return view->visibleRows < 1 ? 1 : view->visibleRows; }

void KeepCursorVisible(View *view) {
    Document *doc = view->doc;
    if (!view->top)
        view->top = view->current;
    // The cursor above the top line: the cursor's line becomes the top line.
    int row = 0;
    Line *line = view->top;
    while (line != view->current && !IsSentinel(doc, line) && row < Rows(view))
        line = line->next, row++;
    if (line != view->current) {
        // Either above the top or more than a window below it: look both ways at once, so
        // that the cost is the distance to the cursor, not the distance to the document's start.
        // The first line lies above every top, the last and the one after it below: Ctrl+Home
        // and Ctrl+End need no walk.
        Line *current = view->current;
        bool first = IsSentinel(doc, current->prev) && !IsSentinel(doc, current);
        bool last = IsSentinel(doc, current) || IsSentinel(doc, current->next);
        bool above = first;
        Line *up = view->top->prev, *down = line;
        while (!first && !last && (!IsSentinel(doc, up) || !IsSentinel(doc, down))) {
            // The line after the last (where Ctrl+End puts the cursor) lies below every line,
            // though the walk upwards also ends on it.
            if (up == view->current && !IsSentinel(doc, up)) {
                above = true;
                break;
            }
            if (down == view->current)
                break;
            if (!IsSentinel(doc, up))
                up = up->prev;
            if (!IsSentinel(doc, down))
                down = down->next;
        }
        if (above || view->top == doc->sentinel) {
            view->top = view->current;
            row = 0;
        } else {
            view->top = view->current;
            row = 0;
            while (row < Rows(view) - 1 && !IsSentinel(doc, view->top->prev))
                view->top = view->top->prev, row++;
        }
        view->state |= kViewRedrawAll;
    } else if (row >= Rows(view)) {
        view->top = view->top->next;
        row--;
        view->state |= kViewRedrawAll;
    }
    view->cursorRow = static_cast<short>(row);
    view->cursorVisualColumn = static_cast<short>(VisualColumnOf(view->current, view->column));
}

void Recentre() {
    View *view = CurrentView();
    if (!view)
        return;
    int wanted = Rows(view) / 2;
    Line *top = view->current;
    int row = 0;
    while (row < wanted && !IsSentinel(view->doc, top->prev))
        top = top->prev, row++;
    if (top == view->top)
        return;
    view->top = top;
    view->cursorRow = static_cast<short>(row);
    view->state |= kViewRedrawAll | kViewCaretMoved;
}

void ScrollLines(int lines) {
    View *view = CurrentView();
    if (!view)
        return;
    Document *doc = view->doc;
    Line *top = view->top ? view->top : view->current;
    for (; lines > 0 && !IsSentinel(doc, top); lines--)
        top = top->next;
    for (; lines < 0 && !IsSentinel(doc, top->prev); lines++)
        top = top->prev;
    if (top != view->top) {
        view->top = top;
        view->state |= kViewRedrawAll;   // the cursor stays where it is
    }
}

void ScrollPage(int direction) {
    View *view = CurrentView();
    if (!view)
        return;
    int page = Rows(view) > 1 ? Rows(view) - 1 : 1;
    ScrollLines(direction < 0 ? -page : page);
    if (direction < 0)
        CursorUp(page);
    else
        CursorDown(page);
    KeepCursorVisible(view);
}
