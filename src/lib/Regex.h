// Regular expressions for the searches and the function scans. A pattern is compiled once into
// a block holding a node program (described in Regex.cpp) and then matched against
// NUL-terminated lines. Bytes are compared exactly unless the pattern is compiled with
// kRegexIgnoreCase, which folds the letters a-z and A-Z of the subject and of the pattern's
// literals and sets (a range still means the bytes between its ends).
//
// Syntax: ordinary characters match themselves; "." any character; "^" the start and "$" the
// end of the text; "[...]" one character of a set ("[^...]" one not in it, a-b a range);
// "\c" the character c; "(...)" a group (1-9 in order of "("); "x|y" alternatives; "x*",
// "x+", "x?" zero or more, one or more, zero or one. A repetition after a run of ordinary
// characters applies to its last character only.
#pragma once

enum {
    kRegexGroups = 10,            // 0 is the whole match, 1-9 the groups
    kRegexMagic = 'S',            // the first byte of every program
    kRegexProgramLimit = 32767,   // programs this long or longer are refused
    kRegexIgnoreCase = 1,         // Compile option: letters match either case
};

// The opcodes of the program's nodes.
enum RegexOp {
    kReEnd = 0,        // success
    kReBol = 1,        // the start of the text
    kReEol = 2,        // the end of the text
    kReAny = 3,        // any one character
    kReAnyOf = 4,      // one character of the operand set
    kReAnyBut = 5,     // one character not in the operand set
    kReBranch = 6,     // the operand, else the next BRANCH
    kReBack = 7,       // no operand; its next offset points backwards
    kReExactly = 8,    // the operand text
    kReNothing = 9,    // the empty string
    kReStar = 10,      // the operand node as often as possible, then fewer
    kRePlus = 11,      // the same, at least once
    kReOpen = 20,      // kReOpen + n: group n starts here
    kReClose = 30,     // kReClose + n: group n ends here
};

struct Regex {
    // Set by Execute: where the match (0) and each group (1-9) start and end in the text;
    // null for a group that took no part in the match.
    const char *start[kRegexGroups];
    const char *end[kRegexGroups];
    char first;             // every match begins with this byte; 0 when it is not known
    bool hasStarts;         // every match begins with a byte of `starts` (a bit per byte)
    unsigned char starts[32];
    bool anchored;          // the expression begins with "^"
    const char *required;   // a literal (inside the program) every match contains, or null
    int requiredLength;
    bool requiredLeads;     // every match begins with the required literal
    int leadCount;          // alternatives that all begin with a literal: their literals'
    unsigned short leads[8];   // offsets in `program`, or 0 when not all do
    unsigned char *leadPairs;  // with leads: a bit for each pair of bytes a lead begins with
    bool foldCase;          // compiled with kRegexIgnoreCase: literals are kept upper-cased
    int setCount;           // the sets' byte maps, stored behind the program
    int setMaps;            // their offset from `program`
    bool overrun;           // the last Execute gave up: the pattern backtracks without end
    bool broken;            // the last Execute found the program damaged
    int programSize;        // bytes of program, the magic byte included
    char program[1];        // kRegexMagic, then the nodes
};

// Compiles `pattern`; *sizeOut (may be null) receives the program's size. On a fault in the
// pattern null is returned and *error (may be null) receives the reason, for the caller to
// show; this module shows nothing. `options`: 0 or kRegexIgnoreCase.
Regex *Compile(const char *pattern, int *sizeOut, const char **error, int options = 0);
void ReleaseRegex(Regex *compiled);

// True when the expression matches somewhere in `text` (the leftmost match); the positions in
// `compiled` are then set. A block that is not a compiled program fails with `broken` set. A
// line on which the matcher would work without end makes it give up: false, with `overrun`
// set, so that the caller can stop its search.
bool Execute(Regex *compiled, const char *text);
// The same for the matches that begin at `from` or after, inside `text`: "^" still means the
// start of `text`. `end`, when given, is where the text ends, saving the matcher a look for
// its NUL; NUL bytes before `end` are then passed over by the look for where a match may
// begin and by a repeated ".", so that a caller whose text may hold them checks the match.
bool ExecuteFrom(Regex *compiled, const char *text, const char *from, const char *end = nullptr);

// Copies into `word` (NUL-terminated, cut to `size`) the longest literal that every match of
// `compiled` contains and returns the number of bytes copied; 0 and "" when there is none.
int LiteralWord(const Regex *compiled, char *word, int size);
// When the expression is nothing but one literal ("abc"), copies it into `text`
// (NUL-terminated; upper-cased when compiled to ignore case) and returns its length, so that
// a caller may look for it as plain text; 0 otherwise or when it does not fit in `size`.
int WholeLiteral(const Regex *compiled, char *text, int size);
