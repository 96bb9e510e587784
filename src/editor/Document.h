// Documents, lines and views.
//
// A document is an open file held as a circular doubly linked list of lines closed by a
// sentinel line: sentinel->next is the first line, sentinel->prev the last, and an empty
// document's sentinel points to itself. Open documents form a singly linked list sorted by
// path (strcmp); paths are upper-cased, so the permanent "untitled" document sorts last.
// A view is one editor window's cursor and scroll position on a document; views form a list
// in creation order. Every editing command works on g_editor->doc through g_editor->view.
#pragma once

#include <stddef.h>

#include "base/Arena.h"

typedef struct HWND__ *HWND;
struct Language;
struct CommentSpan;

enum {
    kMaxPathLength = 120,        // longest document path
    kSplitLength = 497,          // the reader splits longer lines
    kFileBufferSize = 150001,
    kRecentFileCount = 8,
};

// Line flags.
enum { kLineMarked = 4, kLineBreakpoint = 64, kLineExecuting = 128 };

// Document state flags.
enum {
    kDocModified = 2,
    kDocTruncated = 4,
    kDocNoFile = 8,
    kDocFunctionsValid = 0x80,
    kDocCommentsValid = 0x100,
    kDocStampLine = 0x200,
    kDocCSource = 0x400,
    kDocAutosaved = 0x2000,
};

// View state bits.
enum { kViewLineChanged = 1, kViewCaretMoved = 2, kViewRedrawAll = 8, kViewOverwrite = 32 };

struct Line {
    Line *next;
    Line *prev;
    // Room for text, at least the length: a document's lines read from a file get what their
    // record's alignment leaves (a few bytes), lines that grow get their new length rounded
    // up to 16, lines outside a document the length rounded up to 16, at least 16.
    unsigned short capacity;
    short length;
    unsigned char flags;
    char text[1];             // capacity + 1 bytes
};

struct Document {
    Document *next;
    Line *sentinel;
    Line *savedLine;
    Line *savedAnchor;
    unsigned short savedColumn;
    unsigned short savedAnchorColumn;
    unsigned char viewCount;
    unsigned short flags;
    char path[kMaxPathLength + 1];     // upper-cased: how documents are found and compared
    // The same path as the disk spells it (the file's own name, or the name as the user typed
    // it for a new file): every file operation uses it, so a save never renames the file.
    // Empty for a document that was never given one; the path serves then.
    char diskPath[kMaxPathLength + 1];
    long lineCount;
    void *browserWord;
    CommentSpan *comments;
    // The lines changed since the comment spans were built: from line commentTop (from 0) to
    // the line before the last commentBottom lines. Zero for both means the whole text.
    long commentTop;
    long commentBottom;
    // Where the comment spans stand, by line number; kept by the comment scanner.
    struct CommentIndex *commentIndex;
    // The first line (from 0) whose text may have changed since the display last counted the
    // brace levels from the top; 0 when it must count again from the first line.
    long braceTop;
    Language *language;
    long long fileTime;
    // Where the lines come from (all but the sentinel and the longest lines, which are
    // guarded blocks): the whole arena goes back to the system with the lines.
    Arena lines;
};

typedef void (*PaintRoutine)(struct View *view);

struct View {
    View *next;
    HWND window;
    Document *doc;
    Line *top;
    Line *current;
    Line *anchor;               // null when there is no selection
    short firstColumn;          // first visible visual column
    short cursorRow;
    short cursorVisualColumn;
    unsigned short column;
    unsigned short anchorColumn;
    unsigned short visibleRows;
    unsigned char state;
    PaintRoutine paint;
    void *browserData;
    long changedLine;           // while kViewLineChanged: the line (from 1) whose text changed
    // A line shown highlighted (a diagnostic's) while the cursor stays on it and the text is
    // not changed; only compared, never followed.
    const Line *highlight;
};

// The editor's global state: open documents, views, the current pair and recent files.
struct EditorState {
    Document *documents;
    View *views;
    Document *doc;
    View *view;
    char *recent[kRecentFileCount];
    int splitLines;             // lines split by the last read
    // Editing in progress.
    int desiredColumn;          // the visual column that vertical moves aim at...
    bool verticalMove;          // ...kept while they follow one another
    bool anyColumn;             // text may go past the usual last column (undo, replace)
    bool dragging;              // the left button is down in an editor window
    Document *loading;          // being read: a box shown meanwhile must not check it
};

extern EditorState *g_editor;

// Whether the current document is one backed by a file (not the hidden "untitled").
bool HasFileDocument();
// Gives `doc` its path as the disk spells it, from the path as the user typed it.
void SetDiskPath(Document *doc, const char *typed);
// The path to give file operations on `doc`.
inline const char *DiskPath(const Document *doc) { return doc->diskPath[0] ? doc->diskPath : doc->path; }
// Lists the modified documents that are files in "Modified files": Save all saves them (a
// failed save answers false), Forget goes on without saving, Cancel answers false.
bool SaveModifiedDocuments();
// Asks "File contains truncated lines\nSave anyway?" for a document whose lines were cut on
// reading; false when the document must not be written. Yes clears the flag.
bool MayWriteTruncated(Document *doc);

// Builds a fresh, empty editor state (releasing the old one with all its documents).
EditorState *NewEditorState();
void FreeEditorState();

// Lines. NewLine makes a line of `doc` from its arena, or a guarded block when the line is
// too long for the arena or `doc` is null (a line outside any document). Every line goes
// back through FreeLine to the document it was made for; a guarded line linked into a
// document is fine too. A line given back twice is reported and left alone.
Line *NewLine(const char *text, int length, Document *doc = nullptr);
// A zero-filled line record of `doc` (or a guarded one) with room for at least `capacity`.
Line *NewLineRecord(Document *doc, int capacity);
void FreeLine(Document *doc, Line *line);
// Lines do not go to Release, which knows nothing of arenas: FreeLine takes them.
void Release(Line *line) = delete;
// Frees every line of the document (its arena goes back whole) and empties it.
void FreeLines(Document *doc);
inline Line *FirstLine(const Document *doc) { return doc->sentinel->next; }
inline bool IsSentinel(const Document *doc, const Line *line) { return line == doc->sentinel; }
// Line `index` (from 0), or the sentinel when the document is shorter.
Line *NthLine(const Document *doc, long index);
// Links `line` into the list after `after`.
void LinkLineAfter(Line *after, Line *line);
// A NUL-terminated copy of the line's text in `buffer`.
char *LineText(const Line *line, char *buffer, size_t size);

// Documents and views.
Document *FindDocument(const char *path, bool create);
// The path that a document opened from `text` would get: quotes or the first blank end it,
// upper-cased. False (after "[%s]: incorrect file name") when it does not fit.
bool DocumentPath(const char *text, char *path);
bool OpenDocument(const char *text);
// Opens a whole path, blanks included (OpenDocument would end it at the first blank).
bool OpenPath(const char *path);
// Whether a path names a program (it ends with ".EXE"), which is debugged rather than opened.
bool IsProgramPath(const char *path);
View *AttachView(HWND window, const char *path);
// Takes a view off its document; the document is freed with its last view.
void DetachView(View *view);
void MakeCurrent(View *view);
// The first view showing `doc`, or null.
View *FirstViewOf(Document *doc);
// Keeps the view's cursor, selection and columns in its document for the next view.
void SavePositions(View *view);
// Puts every view of `doc` on `line`, column 0, without selection, for a full redraw.
void ResetViews(Document *doc, Line *line);
void FreeDocument(Document *doc);
Document *LoadQuiet(const char *path);
// Re-sorts a document whose path changed.
void RenamedDocument(Document *doc);
void RememberRecentFile(const char *path);
void ForgetRecentFile(const char *path);

// Reading and writing.
bool ReadDocument(const char *path);
bool ReloadDocument();
bool InsertFile(const char *path);
bool WriteDocument(const char *path);
bool WriteDocumentRaw(const char *path, Document *doc, const char *header);
bool SaveDocument();
bool SaveAll();
bool SaveAs();
void CheckFilesChangedOnDisk();

// The text after the last dot of `path`, or "".
const char *Extension(const char *path);
// The backup name of `path`: MAIN.C -> MAIN.~C, MAIN.CPP -> MAIN.~CP.
void BackupName(const char *path, char *backup, size_t size);
// Renews the date field of a version-stamp line in place; the field keeps its width.
void RenewStampField(char *text, int length, const char *stamp);
// Number (from 1) of the first line of the current document that holds the version-stamp
// declaration, 0 when there is none. `out` (may be null, 256 bytes) receives the date field.
int FindStampLine(char *out);

// The texts of the file information dialog for the current document.
struct FileInfoTexts {
    char title[160];
    char position[80];
    char size[80];
    char marks[80];
    char language[120];
    bool modified;
    char date[40];              // empty when the file cannot be examined
};
void GetFileInfoTexts(FileInfoTexts *info);
