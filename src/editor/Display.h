// The arithmetic of the editor window's display: the vertical scroll bar, the horizontal
// scroll that keeps the cursor in sight, the steps of a smooth one-line scroll, and the
// position text. The window code measures and draws; these only compute.
#pragma once

struct Document;
struct View;

struct ScrollBarState {
    int minimum;
    int maximum;      // 0..0 hides the bar
    int position;
    int divisor;      // 10 for documents of more than 32,765 lines, else 1
};

// The scroll bar for a document of `lineCount` lines in a window of `rows` rows with the
// cursor on line `currentLine` (from 1); the position lies within the range.
ScrollBarState ScrollBarFor(long lineCount, int rows, long currentLine);
// The line (from 1) a thumb position stands for.
long LineForThumb(long lineCount, int thumb);

// The pixel steps of a one-line scroll of `lineHeight` pixels in `subScroll` steps (below 1
// counts as 1): equal steps and, when there is one, a last step for the remainder. Returns
// the number of steps written to `steps` (at most `max`).
int SubScrollSteps(int lineHeight, int subScroll, int *steps, int max);

// The first visible column that keeps the cursor in sight. `width(n)` is the pixel width of
// the n characters of the cursor row's expanded text that start at visual column `from`.
typedef int (*TextWidth)(int from, int n, void *context);
int FirstColumnForCursor(int firstColumn, int cursorColumn, int textArea, TextWidth width, void *context);

// The pixel width of the visual columns from `from` up to `to` of a row of `length` expanded
// characters: the text's own measured width (`width`, as above), and one `averageWidth` for
// each column past its end; negative when `to` lies left of `from`. Text runs, the selection
// and the caret are placed by it, so that they stand where a proportional font puts them.
int ColumnsWidth(int from, int to, int length, int averageWidth, TextWidth width, void *context);

// The brace nesting after `line` given the nesting before it: braces in strings, character
// constants and comments (/* */ across lines, tracked in `inComment`, and //) do not count.
int BraceLevelAfter(const char *text, int length, int level, bool *inComment);

// The position text: "line:column", with " *" when the document is modified, and the name of
// the function the cursor is in before it. The function is remembered while the cursor stays
// between its definition line and its end line; after an edit no name is shown until the
// cursor leaves the line it was on.
void PositionText(const View *view, char *text, int size);
// The next position text scans the document's functions again and looks the function up.
void LookUpPositionFunction(Document *doc);
// The window title with a "*" at its end while the document is modified (once), without it
// otherwise (the title is cut at its first "*").
void MarkedTitle(const char *title, bool modified, char *out, int size);
