// Editing operations on the current view and its document: cursor movement, inserting and
// deleting text, line breaks with automatic indentation, selection and the cut buffer.
//
// Every operation works on g_editor->view and g_editor->doc. Columns are character indexes
// into a line (never beyond its length); visual columns count a tab as the distance to the
// next multiple of the tab width. When a line record is replaced by a larger one or freed by a
// join, every reference to it (views, saved positions, bookmarks, comment spans, the line-number
// cache) is moved to the record that now holds its text.
#pragma once

struct Document;
struct Line;
struct View;

// Editor options that the settings load.
extern int g_tabSize;       // Tabsize; values below 1 count as 1, above kMaxTabSize as that
extern bool g_autoIndent;   // automatic indentation

enum {
    kMaxInsertColumn = 1000,   // insertion beyond this column is refused
    kMaxLineLength = 0x7FF0,   // no line grows longer
    kLongLine = 512,           // typing into a line this long breaks it first
    kMaxTabSize = 64,
};

// Letters, digits and "_": the characters of C identifiers.
inline bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// ---- Columns ----
int TabWidth();
// Visual column at which character `column` of the line starts.
int VisualColumnOf(const Line *line, int column);
// The column of the character at which visual column `visual` is reached; the line's length
// when the line is shorter. `reached` (may be null) tells which.
int ColumnAtVisual(const Line *line, int visual, bool *reached);

// ---- Cursor movement (false when the cursor could not move) ----
bool CursorLeft(int n);
bool CursorRight(int n);
bool CursorUp(int n);
bool CursorDown(int n);
// Ends a run of vertical moves: the next one measures the desired column afresh.
void EndVerticalMove();
bool GotoLine(long n);
void GotoTop();
void GotoEnd();
bool SetVisualColumn(int visual);
// Line n (from 1; beyond the end: the sentinel) and a column clamped to that line.
void GotoPosition(long line, int column);
// The cursor to `line` of the current view, whose number (from 1) the caller knows, at
// `column` (clamped): no walk from the top.
void PlaceCursor(Line *line, long number, int column);
long CurrentLineNumber();
int CurrentVisualColumn();
// Number (from 1) of `line` in `doc`; the line count + 1 for the sentinel.
long LineNumberOf(const Document *doc, const Line *line);
// Forgets the cached line number; called whenever lines are added or removed.
void ForgetLineNumber();
// Keeps the cache right when a line record is replaced by another holding the same line,
// and when `delta` lines were added (or removed) just above `line`; any other cached line
// is forgotten.
void LineRecordReplaced(const Line *old, const Line *now);
void LineNumberShifted(const Line *line, int delta);

// ---- The view's window position ----
// Moves the top line so that the cursor is among the visible rows and sets the cursor row.
void KeepCursorVisible(View *view);
// Puts the current line on the middle row.
void Recentre();
// Scrolls by `lines` (negative: up) without moving the cursor, as far as the text allows.
void ScrollLines(int lines);
// Moves the window and the cursor one page up (negative) or down.
void ScrollPage(int direction);

// ---- Text changes ----
// Undo puts text back wherever it was taken from, also beyond the insertion column limit.
void AllowAnyColumn(bool allow);
// Marks the current document changed and its views for redrawing.
void DocumentChanged(Document *doc);
bool InsertChars(int n, int c);
// The typing path of a character (32-255, and tab), with overwrite mode, the long-line break
// and the brace outdent. `removed` (may be null, at least kMaxInsertColumn + 1 bytes) receives
// the white space that the brace outdent cut from the line.
void TypeChar(int c, int n, char *removed = nullptr);
bool SplitLine();
// Gives `line` of `doc` room for `length` characters: a line whose capacity is too small is
// replaced by a larger record, every reference moving with it. The record that now holds the
// line, or null when there is no memory left.
Line *ReserveLine(Document *doc, Line *line, int length);
// The Enter key; returns the number of indentation characters added after the break.
int NewLines(int n);
// Deletes up to n characters forward (a line break counts as one, giving LF to the cut
// buffer when `toClipboard`); returns the number deleted.
int DeleteChars(int n, bool toClipboard);
int Backspace(int n);
// Inserts `length` characters of `text`, LF making a line break; returns the number inserted.
long InsertText(const char *text, long length);
void SpacesToTabs();
void TabsToSpaces();

// ---- Selection and the cut buffer ----
void BeginSelection();
void CancelSelection();
bool HasSelection();
// Start of the selection and its length in characters (a line break counts one). False when
// there is no selection, or (after "Internal error") when its anchor cannot be found.
bool SelectionRange(Line **line, int *column, long *length);
// The ends of a non-empty selection, in text order; false (and no message) when there is none.
bool SelectionBounds(Line **fromLine, int *fromColumn, Line **toLine, int *toColumn);
// An allocated copy of the selection, lines separated by LF; `length` receives its length.
char *SelectionText(long *length);
void CopySelection();
void DeleteSelection();
// Deletes the selection without touching the cut buffer; the cursor ends at its start.
void RemoveSelection();
// Replaces the selection, if any, with the cut buffer; returns the characters inserted.
long PasteBuffer();

void ClearCutBuffer();
void AppendCutBuffer(const char *text, long length);
long CutBufferLength();
// An allocated NUL-terminated copy of the cut buffer (null when it is empty).
char *CutBufferText(long *length);

enum { kClipboardLimit = 65000 };
// The clipboard text of the cut buffer: LF as CR LF, at most 65,000 bytes, NUL-terminated, in
// an allocated block; `length` receives the bytes before the NUL.
char *ClipboardBlock(long *length);
// Puts the cut buffer on the system clipboard, only when it changed here since it last went
// there or came from there, and never an empty one; false when nothing was put.
bool ExportClipboard(void *window);
// Takes the clipboard's text into the cut buffer; false when it holds no text.
bool ImportClipboard(void *window);
