// The editor windows: MDI children of class "clMDIDocument", one view each. They draw their
// document's lines in the editor font and hand keys and the mouse to the editing operations.
#include "editor/EditorWindow.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "base/AppState.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "editor/Colouring.h"
#include "editor/CommentScan.h"
#include "editor/CommentSpans.h"
#include "editor/Display.h"
#include "editor/DisplayOptions.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorHooks.h"
#include "editor/EditorInput.h"
#include "editor/Language.h"
#include "platform/Files.h"
#include "platform/UiPort.h"
#include "ui/OutputWindow.h"

namespace {

bool g_altKeyTaken;   // the last Alt key went to a command, not to the menu bar

// The lines a turn of the mouse wheel scrolls (negative: up): the system's lines per notch,
// the fraction of a notch kept for the next turn. One notch may also mean a page.
int WheelLines(int delta) {
    static int rest;
    UINT perNotch = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
    if (perNotch == static_cast<UINT>(-1))   // WHEEL_PAGESCROLL: a page a notch
        perNotch = 10;
    rest += delta;
    int notches = rest / WHEEL_DELTA;
    rest -= notches * WHEEL_DELTA;
    return -notches * static_cast<int>(perNotch);
}

} // namespace

namespace {

const char kEditorClass[] = "clMDIDocument";

HFONT g_editorFont;
int g_leftMargin;   // 20 pixels while the brace level is shown
int g_lineHeight = 16;
int g_charWidth = 8;

View *ViewOfWindow(HWND window) {
    if (!g_editor)
        return nullptr;
    for (View *view = g_editor->views; view; view = view->next)
        if (view->window == window)
            return view;
    return nullptr;
}

void MeasureFont(HWND window) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, g_editorFont ? g_editorFont : GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA metrics;
    if (GetTextMetricsA(dc, &metrics)) {
        g_lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
        g_charWidth = metrics.tmAveCharWidth;
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    if (g_lineHeight < 1)
        g_lineHeight = 16;
    if (g_charWidth < 1)
        g_charWidth = 8;
}

void SetVisibleRows(View *view) {
    RECT client;
    GetClientRect(view->window, &client);
    int rows = (client.bottom - client.top) / g_lineHeight;
    view->visibleRows = static_cast<unsigned short>(rows < 2 ? 2 : rows > 0xFFFF ? 0xFFFF : rows);
}

COLORREF ColourOf(ColourKind kind) {
    switch (kind) {
    case kColourKeyword: return g_display.keywordColor;
    case kColourComment: return g_display.commentColor;
    case kColourContinuation: return 0xFF00FF;
    case kColourBreakpoint: return 192;
    default: return g_display.textColor;
    }
}

struct RowMeasure {
    HDC dc;
    const char *text;   // a row, tabs expanded
    int length;
};

int MeasureText(int from, int n, void *context) {
    RowMeasure *row = static_cast<RowMeasure *>(context);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(row->dc, row->text + from, n, &size);
    return size.cx;
}

// Columns from..to of the row in pixels, measured in the font of the row's device context.
int MeasureRow(int from, int n, void *context) {
    RowMeasure *row = static_cast<RowMeasure *>(context);
    return ColumnsWidth(from, from + n, row->length, g_charWidth, MeasureText, row);
}

// The line's text with tabs expanded, as much as `size` holds; returns its length.
int ExpandLine(const Line *line, char *text, int size) {
    int n = 0;
    int tab = TabWidth();
    int visual = 0;
    for (int i = 0; i < line->length && n < size - 1; i++) {
        int next = line->text[i] == '\t' ? (visual / tab + 1) * tab : visual + 1;
        for (; visual < next && n < size - 1; visual++)
            text[n++] = line->text[i] == '\t' ? ' ' : line->text[i];
    }
    return n;
}

// The x of visual column `column` of a row whose first visible column is `first`.
int ColumnX(RowMeasure *row, int first, int column) {
    return ColumnsWidth(first, column, row->length, g_charWidth, MeasureText, row);
}

// The number (from 0) of the view's top line: counted from the cursor's line when the top is
// near it, which is known without counting from the first line.
long TopNumber(View *view) {
    Document *doc = view->doc;
    if (view == g_editor->view) {
        const Line *line = view->current;
        long number = CurrentLineNumber() - 1;
        for (int k = 0; k <= view->visibleRows + 1; k++, line = line->prev, number--) {
            if (line == view->top)
                return number;
            if (line == FirstLine(doc))
                break;
        }
    }
    return LineNumberOf(doc, view->top) - 1;
}

// Where the brace levels were last counted: the level before line `number` of `doc`.
struct LevelMark {
    const Document *doc;
    long number;
    int level;
    bool inComment;
};
LevelMark g_levelMark;

// The brace level before `top` (line `topNumber`): counted on from the last mark when no text
// above it changed since, else from the first line.
int LevelAt(Document *doc, Line *top, long topNumber, bool *inComment) {
    int level = 0;
    *inComment = false;
    Line *line = FirstLine(doc);
    bool tracked = doc->language && doc->language->characterHook;
    if (tracked && g_levelMark.doc == doc && g_levelMark.number <= topNumber && g_levelMark.number <= doc->braceTop) {
        level = g_levelMark.level;
        *inComment = g_levelMark.inComment;
        line = top;
        for (long n = topNumber; n > g_levelMark.number && !IsSentinel(doc, line->prev); n--)
            line = line->prev;
    }
    for (; line != top && !IsSentinel(doc, line); line = line->next)
        level = BraceLevelAfter(line->text, line->length, level, inComment);
    g_levelMark = LevelMark{doc, topNumber, level, *inComment};
    doc->braceTop = 0x7FFFFFFF;
    return level;
}

// One line, its runs in their colours, tabs expanded, from the first visible column on.
void PaintLine(HDC dc, const View *view, const Line *line, int y, const CommentSpan *const *spans, int spanCount,
               RowMeasure *row) {
    ColourRun runs[kMaxColourRuns];
    bool debugging = g_app && g_app->debugging;
    int count = spanCount >= 0 ? ColourLineWith(view->doc, line, spans, spanCount, g_colouring, debugging, runs,
                                                kMaxColourRuns)
                               : ColourLine(view->doc, line, g_colouring, debugging, runs, kMaxColourRuns);
    int tab = TabWidth();
    int visual = 0;
    char text[1200];
    for (int r = 0; r < count; r++) {
        int n = 0;
        int first = -1;   // visual column of the run's first drawn character
        for (int i = runs[r].start; i < runs[r].start + runs[r].length && n < static_cast<int>(sizeof text) - 1; i++) {
            int next = line->text[i] == '\t' ? (visual / tab + 1) * tab : visual + 1;
            for (int v = visual; v < next && n < static_cast<int>(sizeof text) - 1; v++) {
                if (v < view->firstColumn)
                    continue;
                if (first < 0)
                    first = v;
                text[n++] = line->text[i] == '\t' ? ' ' : line->text[i];
            }
            visual = next;
        }
        if (n > 0) {
            SetTextColor(dc, ColourOf(runs[r].kind));
            TextOutA(dc, ColumnX(row, view->firstColumn, first), y, text, n);
        }
    }
}

// The marks of a marked line and, while debugging, of breakpoints and the line being run.
void PaintMarker(HDC dc, const Line *line, int y) {
    bool debugging = g_app && g_app->debugging;
    COLORREF colour;
    if ((line->flags & kLineExecuting) && debugging)
        colour = 0x800000;
    else if ((line->flags & kLineMarked) || ((line->flags & kLineBreakpoint) && debugging))
        colour = 0xFFFF80;
    else
        return;
    // A bar at the line's start, outlined so that the light colour shows on a light background.
    HBRUSH brush = CreateSolidBrush(colour);
    RECT mark = {0, y + 1, g_charWidth / 2 > 3 ? g_charWidth / 2 : 3, y + g_lineHeight - 1};
    FillRect(dc, &mark, brush);
    DeleteObject(brush);
    HBRUSH edge = CreateSolidBrush(0x808080);
    FrameRect(dc, &mark, edge);
    DeleteObject(edge);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    View *view = ViewOfWindow(window);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH background = CreateSolidBrush(g_display.backgroundColor);
    FillRect(dc, &paint.rcPaint, background);
    DeleteObject(background);
    if (view && view->doc) {
        HGDIOBJ old = SelectObject(dc, g_editorFont ? g_editorFont : GetStockObject(ANSI_FIXED_FONT));
        SetTextColor(dc, g_display.textColor);
        SetBkMode(dc, TRANSPARENT);
        Document *doc = view->doc;
        if (g_colouring && doc->language && !(doc->flags & kDocCommentsValid))
            BuildCommentSpans(doc);
        if (!view->top)
            view->top = FirstLine(doc);
        Line *line = view->top;
        long topNumber = TopNumber(view);
        // The comment spans of the rows, found once.
        std::vector<SpanOnRows> rowSpans;
        bool indexed = g_colouring && CommentSpansBetween(doc, topNumber, topNumber + view->visibleRows, rowSpans);
        std::vector<const CommentSpan *> lineSpans;
        size_t nextSpan = 0;
        // The selection, if this window's view is the current one: which rows it covers.
        Line *fromLine = nullptr, *toLine = nullptr;
        int fromColumn = 0, toColumn = 0;
        bool selected = view == g_editor->view && SelectionBounds(&fromLine, &fromColumn, &toLine, &toColumn);
        bool inside = false;
        if (selected && fromLine != line)
            for (Line *l = fromLine; l != toLine && !IsSentinel(doc, l); l = l->next)
                if (l->next == line) {
                    inside = true;
                    break;
                }
        // The brace level of the rows: counted from the first line to the top row.
        int level = 0;
        bool inComment = false;
        if (g_leftMargin > 0) {
            level = LevelAt(doc, line, topNumber, &inComment);
            SetViewportOrgEx(dc, 0, 0, nullptr);
            HPEN pen = CreatePen(PS_SOLID, 1, 0x808080);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            int x = g_leftMargin - g_charWidth / 3;
            MoveToEx(dc, x, 0, nullptr);
            LineTo(dc, x, client.bottom);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
        SetViewportOrgEx(dc, g_leftMargin, 0, nullptr);
        for (int row = 0; row <= view->visibleRows && !IsSentinel(doc, line); row++, line = line->next) {
            int y = row * g_lineHeight;
            bool shown = y < paint.rcPaint.bottom && y + g_lineHeight > paint.rcPaint.top;
            if (g_leftMargin > 0 && !shown) {
                level = BraceLevelAfter(line->text, line->length, level, &inComment);
            } else if (g_leftMargin > 0) {
                char number[12];
                int n = snprintf(number, sizeof number, "%d", level);
                SetViewportOrgEx(dc, 0, 0, nullptr);
                SetTextColor(dc, 0x808080);
                TextOutA(dc, 1, y, number, n);
                SetViewportOrgEx(dc, g_leftMargin, 0, nullptr);
                level = BraceLevelAfter(line->text, line->length, level, &inComment);
            }
            if (!shown) {
                // The selection still begins or ends on rows outside the rectangle.
                if (selected && line == fromLine)
                    inside = true;
                if (selected && line == toLine)
                    inside = false;
                continue;
            }
            lineSpans.clear();
            long number = topNumber + row;
            while (nextSpan < rowSpans.size() && rowSpans[nextSpan].last < number)
                nextSpan++;
            for (size_t k = nextSpan; k < rowSpans.size() && rowSpans[k].first <= number; k++)
                lineSpans.push_back(rowSpans[k].span);
            char expanded[1200];
            RowMeasure measure = {dc, expanded, ExpandLine(line, expanded, sizeof expanded)};
            PaintLine(dc, view, line, y, lineSpans.data(), indexed ? static_cast<int>(lineSpans.size()) : -1,
                      &measure);
            PaintMarker(dc, line, y);
            if (line == view->highlight && line == view->current && !selected) {
                RECT band = {0, y, client.right, y + g_lineHeight};
                InvertRect(dc, &band);
            }
            if (selected && line == fromLine)
                inside = true;
            if (inside) {
                int from = line == fromLine ? VisualColumnOf(line, fromColumn) : 0;
                int to = line == toLine ? VisualColumnOf(line, toColumn) : VisualColumnOf(line, line->length) + 1;
                RECT band = {ColumnX(&measure, view->firstColumn, from), y, ColumnX(&measure, view->firstColumn, to),
                             y + g_lineHeight};
                if (band.left < 0)
                    band.left = 0;
                if (band.right > band.left)
                    InvertRect(dc, &band);
            }
            if (selected && line == toLine)
                inside = false;
        }
        SetViewportOrgEx(dc, 0, 0, nullptr);
        SelectObject(dc, old);
    }
    EndPaint(window, &paint);
}

// The scroll bar follows the cursor's line.
void UpdateScrollBar(HWND window, View *view) {
    ScrollBarState bar = ScrollBarFor(view->doc->lineCount, view->visibleRows, CurrentLineNumber());
    // Setting the bar draws it again: only when it changed (most keystrokes leave it alone).
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    if (GetScrollInfo(window, SB_VERT, &info) && info.nMin == bar.minimum && info.nMax == bar.maximum &&
        info.nPos == bar.position)
        return;
    SetScrollRange(window, SB_VERT, bar.minimum, bar.maximum, FALSE);
    SetScrollPos(window, SB_VERT, bar.position, TRUE);
}

// Brings the cursor into sight: the rows by the top line, the columns by measuring the row.
void EnsureCursorVisible(HWND window, View *view) {
    KeepCursorVisible(view);
    char text[1200];
    int n = IsSentinel(view->doc, view->current) ? 0 : ExpandLine(view->current, text, sizeof text);
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, g_editorFont ? g_editorFont : GetStockObject(ANSI_FIXED_FONT));
    RowMeasure row = {dc, text, n};
    int first = FirstColumnForCursor(view->firstColumn, view->cursorVisualColumn,
                                     client.right - client.left - g_leftMargin, MeasureRow, &row);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    if (first != view->firstColumn) {
        view->firstColumn = static_cast<short>(first);
        InvalidateRect(window, nullptr, FALSE);
    }
}

// The caret at the cursor; with `follow` the window first scrolls to the cursor (a scroll of
// the window alone leaves the cursor where it is, possibly out of sight).
void PlaceCaret(HWND window, bool follow = true) {
    View *view = ViewOfWindow(window);
    if (!view)
        return;
    if (follow) {
        EnsureCursorVisible(window, view);
    } else {
        int row = 0;
        const Line *line = view->top;
        while (line && line != view->current && !IsSentinel(view->doc, line) && row <= view->visibleRows)
            line = line->next, row++;
        view->cursorRow = static_cast<short>(line == view->current ? row : -1);
    }
    UpdateScrollBar(window, view);
    if (GetFocus() != window)
        return;
    // Placed by the measured width of the text before it, as the text itself is drawn.
    char text[1200];
    int n = IsSentinel(view->doc, view->current) ? 0 : ExpandLine(view->current, text, sizeof text);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, g_editorFont ? g_editorFont : GetStockObject(ANSI_FIXED_FONT));
    RowMeasure row = {dc, text, n};
    int x = g_leftMargin + ColumnX(&row, view->firstColumn, view->cursorVisualColumn);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    // Out of sight, the caret is put out of the window.
    SetCaretPos(x < 0 ? 0 : x, view->cursorRow >= 0 ? view->cursorRow * g_lineHeight : -2 * g_lineHeight);
}

void MakeCaret(HWND window) {
    View *view = ViewOfWindow(window);
    bool overwrite = view && (view->state & kViewOverwrite);
    CreateCaret(window, nullptr, overwrite ? g_charWidth : (g_charWidth / 3 > 0 ? g_charWidth / 3 : 1),
                g_lineHeight);
    ShowCaret(window);
    PlaceCaret(window);
}

// After an action: redraw what it changed and put the caret back.
// Moves the window's contents one line up (direction 1) or down (-1) in `SubScroll` steps and
// draws only the row that came into sight.
void ScrollOneLine(HWND window, int direction) {
    RECT client;
    GetClientRect(window, &client);
    int steps[64];
    int n = SubScrollSteps(g_lineHeight, g_display.subScroll, steps, 64);
    HideCaret(window);
    RECT text = client;
    text.left = g_leftMargin;
    for (int i = 0; i < n; i++) {
        ScrollWindowEx(window, 0, -direction * steps[i], &text, &text, nullptr, nullptr, 0);
        if (n > 1)
            Sleep(1);
    }
    // The uncovered row (and below the last whole row), and the level margin.
    RECT uncovered = client;
    if (direction > 0)
        uncovered.top = (client.bottom / g_lineHeight - 1) * g_lineHeight;
    else
        uncovered.bottom = g_lineHeight;
    InvalidateRect(window, &uncovered, FALSE);
    if (g_leftMargin > 0) {
        RECT margin = {0, 0, g_leftMargin, client.bottom};
        InvalidateRect(window, &margin, FALSE);
    }
    UpdateWindow(window);
    ShowCaret(window);
}

// Whether a change of the cursor's line leaves the colours of every other row as they were:
// the comments are found again now, and the scan must not have gone past that line.
bool OnlyTheCursorRow(View *view) {
    Document *doc = view->doc;
    if (!g_colouring || !doc->language || (doc->flags & kDocCommentsValid))
        return true;
    BuildCommentSpans(doc);
    long first = 0, end = 0;
    LastScannedLines(&first, &end);
    long line = CurrentLineNumber() - 1;
    return first >= line && end <= line + 1;
}

// The cursor's row, and the brace levels of every row below it (a brace may have come or gone).
void InvalidateCursorRow(HWND window, const View *view) {
    RECT client;
    GetClientRect(window, &client);
    RECT row = {0, view->cursorRow * g_lineHeight, client.right, (view->cursorRow + 1) * g_lineHeight};
    InvalidateRect(window, &row, FALSE);
    if (g_leftMargin > 0) {
        RECT margin = {0, row.top, g_leftMargin, client.bottom};
        InvalidateRect(window, &margin, FALSE);
    }
}

void Refresh(HWND window) {
    View *view = ViewOfWindow(window);
    if (!view)
        return;
    // The highlight goes with the cursor leaving its line.
    if (view->highlight && view->highlight != view->current) {
        view->highlight = nullptr;
        view->state |= kViewRedrawAll;
    }
    bool moved = (view->state & kViewCaretMoved) != 0;
    bool changed = (view->state & (kViewRedrawAll | kViewLineChanged)) != 0;
    // Only the text of the cursor's line changed (typing): perhaps only its row is drawn again.
    bool oneRow = (view->state & (kViewRedrawAll | kViewLineChanged)) == kViewLineChanged &&
                  view == g_editor->view && view->changedLine == CurrentLineNumber();
    Line *oldTop = view->top;
    short oldFirst = view->firstColumn;
    view->state &= ~(kViewRedrawAll | kViewLineChanged | kViewCaretMoved);
    PlaceCaret(window, moved);
    // A move of exactly one line with nothing else to redraw scrolls the contents; a
    // selection, a change of text or a sideways scroll repaints the window.
    bool selection = view->anchor != nullptr;
    int direction = oldTop && view->top == oldTop->next ? 1 : oldTop && view->top == oldTop->prev ? -1 : 0;
    if (!changed && !selection && direction != 0 && oldFirst == view->firstColumn && view->cursorRow >= 0 &&
        IsWindowVisible(window))
        ScrollOneLine(window, direction);
    else if (oneRow && !selection && view->top == oldTop && oldFirst == view->firstColumn && view->cursorRow >= 0 &&
             OnlyTheCursorRow(view))
        InvalidateCursorRow(window, view);
    else if (changed || selection || view->top != oldTop || oldFirst != view->firstColumn)
        InvalidateRect(window, nullptr, FALSE);
    view->state &= ~(kViewRedrawAll | kViewLineChanged | kViewCaretMoved);
    ShowPosition(view);
}

EditorMetrics Metrics(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    EditorMetrics m = {g_lineHeight, g_charWidth, g_leftMargin, client.right - client.left};
    return m;
}

LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    View *view = ViewOfWindow(window);
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_VSCROLL:
        if (view) {
            MakeCurrent(view);
            int rows = view->visibleRows > 1 ? view->visibleRows - 1 : 1;
            switch (LOWORD(wParam)) {
            case SB_LINEUP: ScrollLines(-1); break;
            case SB_LINEDOWN: ScrollLines(1); break;
            case SB_PAGEUP: ScrollLines(-rows); break;
            case SB_PAGEDOWN: ScrollLines(rows); break;
            case SB_THUMBTRACK:
            case SB_THUMBPOSITION:
                GotoLine(LineForThumb(view->doc->lineCount, HIWORD(wParam)));
                Recentre();
                break;
            }
            InvalidateRect(window, nullptr, FALSE);
            Refresh(window);
            return 0;
        }
        break;
    case WM_MOUSEWHEEL:
        if (view) {
            MakeCurrent(view);
            int lines = WheelLines(GET_WHEEL_DELTA_WPARAM(wParam));
            if (lines != 0) {
                ScrollLines(lines);
                InvalidateRect(window, nullptr, FALSE);
                Refresh(window);
            }
            return 0;
        }
        break;
    case WM_SIZE:
        if (view)
            SetVisibleRows(view);
        break;
    case WM_SETFOCUS:
        MakeCaret(window);
        break;
    case WM_KILLFOCUS:
        DestroyCaret();
        break;
    case WM_MDIACTIVATE:
        if (reinterpret_cast<HWND>(lParam) == window && view) {
            MakeCurrent(view);
            UpdateFrameTitle();
            LookUpPositionFunction(view->doc);
            ShowPosition(view);
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        g_altKeyTaken = false;
        if (view) {
            MakeCurrent(view);
            bool ctrl = GetKeyState(VK_CONTROL) < 0;
            bool alt = GetKeyState(VK_MENU) < 0;
            bool shift = GetKeyState(VK_SHIFT) < 0;
            bool wasOverwrite = (view->state & kViewOverwrite) != 0;
            bool taken = PassKeyDown(static_cast<int>(wParam), LOWORD(lParam), ctrl, alt, shift);
            if (taken) {
                // The character the key also made (Alt+X, Esc) is already queued: it goes.
                MSG queued;
                while (PeekMessageA(&queued, window, WM_CHAR, WM_DEADCHAR, PM_REMOVE) ||
                       PeekMessageA(&queued, window, WM_SYSCHAR, WM_SYSDEADCHAR, PM_REMOVE)) {
                }
            }
            // The view may be gone (the command closed the window).
            if ((view = ViewOfWindow(window)) != nullptr) {
                if (((view->state & kViewOverwrite) != 0) != wasOverwrite)
                    MakeCaret(window);
                Refresh(window);
            }
            // Alt combinations the tables did not take go on to the system (the menu bar).
            if (message == WM_SYSKEYDOWN && !taken)
                break;
            g_altKeyTaken = message == WM_SYSKEYDOWN;
            return 0;
        }
        break;
    case WM_SYSKEYUP:
    case WM_KEYUP:
        // Releasing Alt after an Alt key the tables took (Alt+Backspace) must not hand the
        // next key to the menu bar (Wine reports that release as WM_KEYUP).
        if (g_altKeyTaken && (wParam == VK_MENU || wParam == VK_BACK)) {
            if (wParam == VK_MENU)
                g_altKeyTaken = false;
            return 0;
        }
        break;
    case WM_SYSCHAR:
        if (g_altKeyTaken)
            return 0;
        break;
    case WM_CHAR:
        if (view) {
            MakeCurrent(view);
            EditorChar(static_cast<int>(static_cast<unsigned char>(wParam)), LOWORD(lParam),
                       GetKeyState(VK_CONTROL) < 0);
            Refresh(window);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (view) {
            MakeCurrent(view);
            SetFocus(window);
            EditorButtonDown(message == WM_LBUTTONDOWN, static_cast<short>(LOWORD(lParam)),
                             static_cast<short>(HIWORD(lParam)), (wParam & MK_SHIFT) != 0, Metrics(window));
            if (EditorDragging())
                SetCapture(window);
            Refresh(window);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (view && EditorDragging()) {
            EditorMouseMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                            Metrics(window));
            Refresh(window);
        }
        return 0;
    case WM_LBUTTONUP:
        EditorButtonUp();
        ReleaseCapture();
        return 0;
    case WM_LBUTTONDBLCLK:
        if (view) {
            EditorDoubleClick(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                              Metrics(window));
            Refresh(window);
        }
        return 0;
    case WM_RBUTTONUP:
        if (view) {
            POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(window, &point);
            ShowEditorContextMenu(window, point.x, point.y);
        }
        return 0;
    case WM_CLOSE:
        if (view && !CloseEditorWindow(view))
            return 0;
        break;
    case WM_DESTROY:
        if (view)
            DetachView(view);
        UpdateFrameTitle();
        break;
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

} // namespace

void ToggleBraceLevel() {
    g_leftMargin = g_leftMargin ? 0 : 20;
    if (g_editor)
        for (View *view = g_editor->views; view; view = view->next)
            if (view->window)
                InvalidateRect(view->window, nullptr, FALSE);
}

bool RegisterEditorWindowClass(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_OWNDC;
    wc.lpfnWndProc = EditorProc;
    wc.cbWndExtra = 40;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "EDICON");
    if (!wc.hIcon)
        wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kEditorClass;
    return RegisterClassA(&wc) != 0;
}

void SetEditorFont(HFONT font) {
    g_editorFont = font;
    RedrawEditorWindows();
}

HFONT MakeEditorFont() {
    LOGFONTA font = {};
    font.lfHeight = g_display.fontHeight;
    font.lfWeight = (g_display.fontStyle & 1) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (g_display.fontStyle & 2) != 0;
    font.lfPitchAndFamily = static_cast<BYTE>(g_display.fontFamily);
    font.lfCharSet = ANSI_CHARSET;
    CopyBounded(font.lfFaceName, g_display.fontName, sizeof font.lfFaceName);
    return CreateFontIndirectA(&font);
}

void RedrawEditorWindows() {
    if (!g_editor)
        return;
    bool measured = false;
    HWND focus = GetFocus();
    for (View *view = g_editor->views; view; view = view->next) {
        if (!view->window)
            continue;
        // One font for all windows: measured once, then each window's rows follow it.
        if (!measured) {
            MeasureFont(view->window);
            measured = true;
        }
        SetVisibleRows(view);
        view->state |= kViewRedrawAll;
        if (view->window == focus) {
            DestroyCaret();
            MakeCaret(view->window);
        }
        InvalidateRect(view->window, nullptr, TRUE);
    }
}

void EditorWindowTitle(const Document *doc, char *title, int size) {
    char path[kMaxPathLength + 1];
    CopyBounded(path, doc->path, sizeof path);
    LowerCase(path);
    char current[400] = "";
    CurrentDirectory(current, sizeof current);
    LowerCase(current);
    size_t n = strlen(current);
    const char *shown = path;
    if (n > 0 && strncmp(path, current, n) == 0 && path[n] == '\\')
        shown = path + n + 1;
    CopyBounded(title, shown, size);
}

void DestroyEditorWindow(HWND window) {
    if (window && g_app && g_app->mdiClient)
        SendMessageA(g_app->mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
}

HWND CreateEditorWindow(const char *path) {
    if (!g_app || !g_app->mdiClient)
        return nullptr;
    BOOL maximized = FALSE;
    HWND active = reinterpret_cast<HWND>(
        SendMessageA(g_app->mdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
    maximized = active && maximized;
    char title[kMaxPathLength + 1];
    CopyBounded(title, path, sizeof title);
    LowerCase(title);
    MDICREATESTRUCTA create = {};
    create.szClass = kEditorClass;
    create.szTitle = title;
    create.hOwner = GetModuleHandleA(nullptr);
    create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
    create.style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL | (maximized ? WS_MAXIMIZE : 0);
    HWND window = reinterpret_cast<HWND>(
        SendMessageA(g_app->mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    if (window) {
        SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
        MeasureFont(window);
    }
    return window;
}

void AttachWindowToView(View *view, HWND window) {
    view->window = window;
    SetVisibleRows(view);
    char title[kMaxPathLength + 1];
    EditorWindowTitle(view->doc, title, sizeof title);
    SetWindowTextA(window, title);
    // The window was activated before it had its view: the position is shown now.
    ShowPosition(view);
}

HWND ActiveEditorWindow() {
    if (!g_app || !g_app->mdiClient)
        return nullptr;
    HWND active = reinterpret_cast<HWND>(SendMessageA(g_app->mdiClient, WM_MDIGETACTIVE, 0, 0));
    return ViewOfWindow(active) ? active : nullptr;
}

void ActivateEditorWindow(View *view) {
    MakeCurrent(view);
    if (view->window && g_app && g_app->mdiClient) {
        SendMessageA(g_app->mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(view->window), 0);
        if (IsIconic(view->window))
            SendMessageA(g_app->mdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(view->window), 0);
        SetFocus(view->window);
    }
}

void SetEditorWindowTitle(View *view, const char *title) {
    if (view->window)
        SetWindowTextA(view->window, title);
}

void RefreshEditorWindow(View *view) {
    if (view->window)
        Refresh(view->window);
}

void ShowPosition(View *view) {
    if (!view || view != (g_editor ? g_editor->view : nullptr) || !view->window)
        return;
    if (g_app && g_app->frameWindow && IsIconic(g_app->frameWindow))
        return;
    char text[80];
    PositionText(view, text, sizeof text);
    ShowStatus(text);
    // The title carries a "*" while the document is modified.
    char title[kMaxPathLength + 8], marked[kMaxPathLength + 8];
    GetWindowTextA(view->window, title, sizeof title);
    MarkedTitle(title, (view->doc->flags & kDocModified) != 0, marked, sizeof marked);
    if (strcmp(title, marked) != 0)
        SetWindowTextA(view->window, marked);
}

bool EditorWindowPlacement(View *view, int rect[4], bool *minimized, bool *maximized) {
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    if (!view->window || !GetWindowPlacement(view->window, &placement))
        return false;
    // The rectangle is kept in screen coordinates.
    RECT normal = placement.rcNormalPosition;
    MapWindowPoints(GetParent(view->window), nullptr, reinterpret_cast<POINT *>(&normal), 2);
    rect[0] = normal.left;
    rect[1] = normal.top;
    rect[2] = normal.right;
    rect[3] = normal.bottom;
    *minimized = placement.showCmd == SW_SHOWMINIMIZED || IsIconic(view->window);
    *maximized = placement.showCmd == SW_SHOWMAXIMIZED || IsZoomed(view->window);
    return true;
}

bool EditorWindowMinimized(const View *view) { return view->window && IsIconic(view->window); }

bool CloseEditorWindow(View *view) {
    Document *doc = view->doc;
    if (!doc)
        return true;
    bool lastView = doc->viewCount <= 1;
    if (lastView && (doc->flags & kDocModified) && !(doc->flags & kDocNoFile)) {
        char path[kMaxPathLength + 1];
        CopyBounded(path, doc->path, sizeof path);
        LowerCase(path);
        char text[300];
        snprintf(text, sizeof text, GetString(kStrSaveChanged), path);
        int answer = CurrentUiPort()->ShowBox(kOwnerFrame, text, GetString(kStrInformation),
                                              kBoxYesNoCancel);
        if (answer == kAnswerCancel)
            return false;
        if (answer == kAnswerYes) {
            MakeCurrent(view);
            if (!MayWriteTruncated(doc) || !WriteDocument(doc->path))
                return false;
        }
    }
    if (lastView) {
        doc->flags = doc->flags & kDocNoFile;
        DocumentClosed((doc->flags & kDocNoFile) ? nullptr : doc->path);
    }
    return true;
}
