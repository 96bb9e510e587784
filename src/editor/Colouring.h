// Which stretches of a line are drawn in which colour: keywords, preprocessor directives,
// comments, the Fortran continuation mark and the rest. The display turns the runs into
// pixels; nothing here draws.
#pragma once

struct CommentSpan;
struct Document;
struct Language;
struct Line;

enum ColourKind {
    kColourText,
    kColourKeyword,
    kColourComment,
    kColourContinuation,   // magenta, the Fortran continuation mark
    kColourBreakpoint,     // a line with a breakpoint while no program runs
};

struct ColourRun {
    int start;    // character index in the text
    int length;
    ColourKind kind;
};

enum { kMaxColourRuns = 256, kMaxWord = 511 };

// The colouring painter for one stretch of text without comments. Returns the number of runs
// (adjacent runs of one kind are merged); at most `max`, the last run taking the rest.
int ColourStretch(const Language *language, bool colouring, const char *text, int length,
                  ColourRun *runs, int max);

// The runs of a whole line of `doc`: its comment spans in the comment colour, the rest
// through the painter; a breakpoint line (while nothing is debugged) all in one colour.
int ColourLine(const Document *doc, const Line *line, bool colouring, bool debugging, ColourRun *runs,
               int max);

// The same with the spans that touch the line given (in text order), so that the list of
// the whole document is not walked for every row.
int ColourLineWith(const Document *doc, const Line *line, const CommentSpan *const *spans, int spanCount,
                   bool colouring, bool debugging, ColourRun *runs, int max);

// Whether keywords and comments are coloured at all.
extern bool g_colouring;
