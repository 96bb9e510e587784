// The reading position that every scanner of the browser shares, its reading primitives and
// its character tables.
//
// The cursor walks a document's lines (never the file on disk): a line, a column (the next
// character to read), a line counter and an end-of-line mode. In the transparent mode the
// character after a line's last one is the first of the next non-empty line; in the newline
// mode every line end reads as one '\n' first. Empty lines are passed over, and the sentinel
// line ends every scan: the readers then return -1. A scanner sets the mode it needs and
// puts the previous one back when it ends (ScanMode does both). Not reentrant: scans run one
// at a time on the user-interface thread.
#pragma once

struct Document;
struct Line;
struct FunctionEntry;

struct ScanCursor {
    Document *doc;
    Line *line;
    int column;
    long lineCount;
    bool newlineMode;
};

// The browser's state: the cursor, and whether browsing is suspended (the function lists are
// then taken as they are).
struct BrowseState {
    ScanCursor cursor;
    bool suspended;
    FunctionEntry *currentFunction;   // the last one FindFunction found
};

extern BrowseState *g_browse;

// The character tables, built once by BuildScanTables (the scans call it).
extern unsigned char g_identifierChars[256];   // a-z A-Z 0-9 _
extern unsigned char g_declarationChars[256];  // what old-style parameter declarations hold
extern unsigned char g_triggers[256];          // where the current scan must stop
void BuildScanTables();
// Makes the trigger set exactly the characters of `chars`.
void SetTriggers(const char *chars);
inline bool IsScanIdentifier(int c) { return c >= 0 && g_identifierChars[c]; }

// Sets the end-of-line mode for the life of the object and puts the previous one back.
class ScanMode {
public:
    explicit ScanMode(bool newlineMode) : saved_(g_browse->cursor.newlineMode) {
        g_browse->cursor.newlineMode = newlineMode;
    }
    ~ScanMode() { g_browse->cursor.newlineMode = saved_; }
    ScanMode(const ScanMode &) = delete;
    ScanMode &operator=(const ScanMode &) = delete;

private:
    bool saved_;
};

// Puts the cursor on the first line of `doc`, column 0, line counter 0.
void StartScan(Document *doc);
// Puts the cursor at `column` of `line`, with the line counter `count`.
void SetScanPosition(Line *line, int column, long count);
bool AtScanEnd();

// The character at the cursor, then the cursor moves on; -1 at the document's end.
int NextChar();
// The character before the cursor, the cursor moving back onto it; never a newline; -1 before
// the first line.
int PrevChar();
// Steps back over the character just read by NextChar (not over a newline).
void UnreadChar();
// After a '/': passes a /* */ or // comment and returns how many characters it held (the
// opening '/' included); 0 when no comment starts there (nothing more is read).
int SkipComment();
// After a '"': passes the string up to its closing quote; false when a line ends without one
// (and without a continuing backslash).
bool SkipString();
// After a '\'': passes a character constant; false when no closing quote follows.
bool SkipCharConstant();
// Passes the rest of a preprocessor line and the lines that a final backslash continues.
void SkipDirective();
// Passes blanks, tabs, newlines and comments; the first other character (read), or -1.
int SkipBlanks();

// The column of the '#' of a preprocessor line (the first character other than a blank);
// -1 on any other line.
int DirectiveColumn(const Line *line);
// The word of a directive whose text goes on at `column` (just after its '#'): "if",
// "ifdef", "else"... at most `size` - 1 characters; returns where the text after it starts.
int DirectiveWord(const Line *line, int column, char *word, int size);
// +1 for a directive word that opens a conditional (if, ifdef, ifndef), -1 for endif, else 0.
int ConditionalNesting(const char *word);
