// The user's breakpoint lines kept by the editor between debugging runs. While a file is
// open its breakpoints are the marks on its lines (line flag 64), so they follow the lines
// through edits; the files that are not open keep theirs in a list of (path, line). The
// project stores both and gives them back when it is opened again.
#pragma once

#include <string>
#include <vector>

struct Document;

struct BreakpointLine {
    std::string file;   // the path as the disk spells it
    int line = 0;       // from 1
};

// Replaces the list (the project's breakpoints, read when it is opened).
void SetRememberedBreakpoints(const std::vector<BreakpointLine> &list);
// Moves the list's breakpoints of `doc` onto its lines (it was just read); those past its
// end are dropped.
void MarkRememberedBreakpoints(Document *doc);
// The marks of `doc` go back into the list (it is closed or read again).
void RememberDocumentBreakpoints(Document *doc);
// Every breakpoint: the list and the marked lines of the open documents, each once.
std::vector<BreakpointLine> AllBreakpoints();
// A breakpoint of `file` at `line`: the mark of an open document's line, or an entry.
void RememberBreakpoint(const char *file, int line);
// The breakpoint of `file` at `line` is forgotten: the mark of an open document, or the entry.
void ForgetBreakpoint(const char *file, int line);
// The breakpoint of `file` at `from` stands at `to` (the nearest line with code).
void MoveBreakpoint(const char *file, int from, int to);
