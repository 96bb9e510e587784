// The functions a document defines, found by scanning its lines.
//
// Each function is one block: the fields below and, at its end, the name. A document's list is
// in text order and hangs from the document's first browser word; document flag
// kDocFunctionsValid says it is up to date. The editor clears the flag on every change, and
// the next browse command scans again.
#pragma once

#include <string>
#include <vector>

struct Document;
struct Line;
struct NameSet;

enum { kMaxFunctionName = 32759 };

struct FunctionEntry {
    FunctionEntry *next;
    char *name;                 // the text at the end of the block
    unsigned short bucket;      // NameHash of the name
    Line *startLine;            // where the declaration (return type) begins
    long startLineNumber;       // from 1: the number of startLine when the scan ran
    unsigned short startColumn; // C: from 1; Fortran and Pascal: the name's offset in its
                                // line; assembler: 0
    // Line numbers are long: a document may have more lines than 16 bits count.
    long bodyLineIndex;         // the scan's line counter at the body: from 0 for C and Pascal,
                                // from 1 for assembler and Fortran
    long definitionLine;        // from 1: the line with the opening parenthesis (the header)
    long endLine;               // from 1: the line with the closing brace (the routine's end)
    Line *bodyLine;             // the line with the opening brace; the header line of the
                                // line-based scans
    NameSet *calls;             // null until the call graph is built
    NameSet *calledBy;
    Line *endLinePointer;       // null while the body is open
    unsigned short nesting;     // Pascal: the begin/end level at which the routine closed
    char text[1];
};

// The first function of the list of `doc`, or null.
FunctionEntry *FunctionList(const Document *doc);

// The C function scan of `doc`: builds its list (released by the caller before), stores it in
// the document and marks it valid; whether it found a function. The scans of the other
// languages are in LineScans.h.
bool ScanCFunctions(Document *doc);

// For the scans: a new entry called `name` (cut to kMaxFunctionName characters), its other
// fields zero; null when memory ran out.
FunctionEntry *NewFunctionEntry(const std::string &name);

// A scan's entries in text order.
struct FunctionListBuilder {
    FunctionEntry *head = nullptr;
    FunctionEntry *tail = nullptr;

    void Append(FunctionEntry *entry) {
        if (tail)
            tail->next = entry;
        else
            head = entry;
        tail = entry;
    }
};

// Ends a scan: `list` becomes the function list of `doc`, marked valid; whether it has a
// function.
bool StoreFunctions(Document *doc, const FunctionListBuilder &list);

// Makes the function list of `doc` valid, scanning it when needed with the scan of its language
// (C, Fortran, Pascal; Eiffel has none; the pattern scan for assembler and every other language
// with a start pattern); whether the document has functions to browse. A document without a
// language or with kDocNoFile has none.
bool EnsureFunctions(Document *doc);
// The same for the current document; false without one.
bool EnsureBrowseInfo();
// Releases the list of `doc` with the name sets of its entries, and marks it not valid.
void ReleaseFunctions(Document *doc);

// In the current document's list, the function `name` (compared exactly); it becomes the
// browser's current function. Null when there is none.
FunctionEntry *FindFunction(const char *name);

// The open documents, in list order, are searched for the function `name` (its first 254
// characters); the first that defines it is answered (its entry becomes the current
// function), or null. With `jump` that document is shown and the cursor put on the
// function's definition line, in the middle of the window.
Document *LocateFunction(const char *name, bool jump);
// The same without scanning: only the lists already valid are looked at, and nothing is shown.
Document *LocateScannedFunction(const char *name);

// The function whose lines, from its start line to its end line, hold `line` (number
// `number`, from 1) of `doc`, its list made valid first; null for none. A list whose lines
// cannot be followed is scanned again, and the answer is null.
FunctionEntry *FunctionAtLine(Document *doc, const Line *line, long number);
// The same for the cursor of the current view.
FunctionEntry *FunctionAtCursor();
// FunctionAtLine for the editor: the name, the definition line and the end line.
const char *FunctionNameAt(Document *doc, const Line *line, long number, long *first, long *end);

// The `index`-th function (from 0) of `doc` for the editor: its name (cut to `size`), the line
// where its declaration begins and its end line, from 1. False past the last one.
bool FunctionLinesAt(Document *doc, int index, char *name, int size, long *first, long *last);

// How many functions `doc` defines (its list made valid first).
int CountFunctions(Document *doc);

// The names of the functions `doc` defines, in text order (its list made valid first).
std::vector<std::string> FunctionNames(Document *doc);
