#include "editor/Display.h"

#include <stdio.h>
#include <string.h>

#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorHooks.h"

enum { kLargeDocument = 32765, kLargeDivisor = 10 };

ScrollBarState ScrollBarFor(long lineCount, int rows, long currentLine) {
    ScrollBarState bar = {0, 0, 0, 1};
    if (lineCount < rows)
        return bar;
    bar.divisor = lineCount > kLargeDocument ? kLargeDivisor : 1;
    bar.minimum = 1;
    bar.maximum = static_cast<int>(lineCount / bar.divisor + 1);
    bar.position = static_cast<int>(currentLine / bar.divisor);
    // Within the range, where the bar keeps its thumb anyway (lines 1 to 9 of a long document
    // are at 0): UpdateScrollBar compares it with the bar's own to leave an unchanged bar alone.
    if (bar.position < bar.minimum)
        bar.position = bar.minimum;
    if (bar.position > bar.maximum)
        bar.position = bar.maximum;
    return bar;
}

long LineForThumb(long lineCount, int thumb) {
    long divisor = lineCount > kLargeDocument ? kLargeDivisor : 1;
    long line = thumb * divisor;
    if (line < 1)
        line = 1;
    if (line > lineCount + 1)
        line = lineCount + 1;
    return line;
}

int SubScrollSteps(int lineHeight, int subScroll, int *steps, int max) {
    if (subScroll < 1)
        subScroll = 1;
    int step = lineHeight / subScroll;
    int n = 0;
    if (step > 0)
        for (int i = 0; i < subScroll && n < max; i++)
            steps[n++] = step;
    int rest = lineHeight - step * subScroll;
    if (rest > 0 && n < max)
        steps[n++] = rest;
    return n;
}

int FirstColumnForCursor(int firstColumn, int cursorColumn, int textArea, TextWidth width, void *context) {
    if (cursorColumn >= firstColumn) {
        int n = cursorColumn - firstColumn;
        if (width(firstColumn, n, context) <= textArea)
            return firstColumn;
        // Characters go from the left until the rest is narrower than the text area; the
        // column moves one further than that.
        int dropped = 0;
        while (dropped < n && width(firstColumn + dropped, n - dropped, context) >= textArea)
            dropped++;
        return firstColumn + dropped + 1;
    }
    // The cursor is left of the window: from column 0 afresh.
    if (width(0, cursorColumn, context) <= textArea)
        return 0;
    int dropped = 0;
    while (dropped < cursorColumn && width(dropped, cursorColumn - dropped, context) >= textArea)
        dropped++;
    return dropped + 1;
}

int ColumnsWidth(int from, int to, int length, int averageWidth, TextWidth width, void *context) {
    if (to < from)
        return -ColumnsWidth(to, from, length, averageWidth, width, context);
    int measured = 0;
    int end = to < length ? to : length;
    if (from < end)
        measured = width(from, end - from, context);
    int beyond = to - (from > length ? from : length);
    return measured + (beyond > 0 ? beyond * averageWidth : 0);
}

int BraceLevelAfter(const char *text, int length, int level, bool *inComment) {
    for (int i = 0; i < length; i++) {
        char c = text[i];
        if (*inComment) {
            if (c == '*' && i + 1 < length && text[i + 1] == '/') {
                *inComment = false;
                i++;
            }
            continue;
        }
        if (c == '/' && i + 1 < length && text[i + 1] == '*') {
            *inComment = true;
            i++;
        } else if (c == '/' && i + 1 < length && text[i + 1] == '/') {
            break;
        } else if (c == '"' || c == '\'') {
            for (i++; i < length && text[i] != c; i++)
                if (text[i] == '\\')
                    i++;
        } else if (c == '{') {
            level++;
        } else if (c == '}' && level > 0) {
            level--;
        }
    }
    return level;
}

namespace {

// The function the position text named last.
struct PositionFunction {
    const Document *doc = nullptr;
    char name[100] = "";
    long first = 0, end = 0;   // the lines for which it stands without a new look-up
    long editedLine = 0;       // after an edit: where the cursor was; no name while it stays
};
PositionFunction g_positionFunction;

const char *PositionFunctionName(Document *doc, const Line *line, long number) {
    PositionFunction &shown = g_positionFunction;
    if (!doc->language)
        return nullptr;
    if (shown.doc == doc && !(doc->flags & kDocFunctionsValid)) {
        // The text changed since the function was looked up: scanning again on every key
        // would slow typing down, so the name waits until the cursor moves to another line.
        if (shown.editedLine == 0) {
            shown.editedLine = number;
            shown.name[0] = '\0';
        }
        if (number == shown.editedLine)
            return nullptr;
    } else if (shown.doc == doc && shown.name[0] && number >= shown.first && number < shown.end) {
        return shown.name;
    }
    shown = PositionFunction();
    shown.doc = doc;
    if (const char *name = FunctionAt(doc, line, number, &shown.first, &shown.end))
        snprintf(shown.name, sizeof shown.name, "%s", name);
    return shown.name[0] ? shown.name : nullptr;
}

} // namespace

void LookUpPositionFunction(Document *doc) {
    doc->flags &= ~kDocFunctionsValid;
    g_positionFunction = PositionFunction();
}

void PositionText(const View *view, char *text, int size) {
    // The cursor's own line number is known without counting from the first line.
    long line = g_editor && view == g_editor->view ? CurrentLineNumber() : LineNumberOf(view->doc, view->current);
    int column = VisualColumnOf(view->current, view->column) + 1;
    const char *modified = (view->doc->flags & kDocModified) ? " *" : "";
    if (const char *function = PositionFunctionName(view->doc, view->current, line))
        snprintf(text, size, "%s %ld:%d%s", function, line, column, modified);
    else
        snprintf(text, size, "%ld:%d%s", line, column, modified);
}

void MarkedTitle(const char *title, bool modified, char *out, int size) {
    snprintf(out, size, "%s", title);
    if (char *star = strchr(out, '*'))
        *star = '\0';
    if (modified) {
        size_t n = strlen(out);
        if (n + 1 < static_cast<size_t>(size)) {
            out[n] = '*';
            out[n + 1] = '\0';
        }
    }
}
