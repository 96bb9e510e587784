// The function view of a comparison: the changes of two C texts grouped by the function that
// holds them. A function is known by its name and its place among the functions of that name
// in its file (the second "f" of one file goes with the second "f" of the other), so renaming
// a function shows as one removed and one added. A change is split by line: each line it
// erases goes to the function of the first text that covers it, each line it adds to the
// function of the second text; lines no function covers make the modifications outside
// functions.
#pragma once

#include <string>
#include <vector>

#include "cms/Diff.h"

// A function of one text: its name and its lines (from 1), from the line where its declaration
// begins to the line with its closing brace.
struct FunctionSpan {
    std::string name;
    long first, last;
};

// The C functions of `lines` as the browser's scan finds them; false when there was no
// memory to scan (nothing is shown).
bool ScanFunctionSpans(const std::vector<std::string> &lines, std::vector<FunctionSpan> *spans);

enum FunctionState { kFunctionModified, kFunctionAdded, kFunctionRemoved, kFunctionOutside, kFunctionUnchanged };

// The lines of one change that fall in one group.
struct ChangePiece {
    int change;                    // index in the change list
    long firstErased, erased;      // in the first text (firstErased 0 when none)
    long firstAdded, added;        // in the second text (firstAdded 0 when none)
};

struct FunctionGroup {
    std::string name;              // empty for the modifications outside functions
    FunctionState state;
    long firstStart, firstEnd;     // the function's lines in the first text; 0 when absent
    long secondStart, secondEnd;   // in the second
    std::vector<ChangePiece> pieces;
};

struct FunctionComparison {
    // Modified, added and removed functions, then the modifications outside functions (when
    // there are any), then the unchanged functions; each kind in the order of the texts.
    std::vector<FunctionGroup> groups;
    int changes = 0;
    int modified = 0, added = 0, removed = 0, unchanged = 0;
    long erased = 0, addedLines = 0;               // all the lines of the changes
    long outsideErased = 0, outsideAdded = 0;      // those outside functions
};

FunctionComparison GroupChangesByFunction(const std::vector<DiffChange> &changes,
                                          const std::vector<FunctionSpan> &firstFunctions,
                                          const std::vector<FunctionSpan> &secondFunctions);

// One line of the statistics: changes, functions modified, added, removed and unchanged, the
// lines erased and added, and how many of those lie outside functions.
std::string FunctionStatistics(const FunctionComparison &comparison);
// A group as the list shows it: "<state>\t<name>".
std::string FunctionLabel(const FunctionGroup &group);
// What a group holds, with CR LF line ends for an edit control: for a modified function or the
// modifications outside functions, its lines in both texts and then each change's lines that
// fall in it; for an added or removed function, its whole text; for an unchanged one,
// "Function <name> hasn't changed". The paths are the texts' names as they are to be shown.
std::string FunctionDetails(const FunctionGroup &group, const std::string &firstPath, const std::string &secondPath,
                            const std::vector<std::string> &first, const std::vector<std::string> &second);
