// Comparing two files from the Utils menu: "Compare two files" (Diff...), the two-file view
// that steps through the changes and merges, the function view of C files, and "Apply a patch
// script".
#pragma once

#include <string>
#include <vector>

#include "cms/Diff.h"

// A comparison shown in the two-file view.
struct DiffSession {
    std::string firstPath, secondPath;
    std::vector<std::string> first, second;
    std::vector<DiffChange> changes;
    int current = -1;             // the change shown, -1 before the first
    std::vector<char> useRight;   // a merge takes the second file's text of these changes
};

// The next (direction 1) or previous (-1) change; false, with "No next diff" or "No previous
// diff" in `message`, when there is none.
bool StepDiff(DiffSession *session, int direction, std::string *message);
// "Diff. <current> de <count>".
std::string DiffStatus(const DiffSession &session);
// Writes the merge of the session to `outputPath`: the first file with the chosen changes of
// the second; when none or all were chosen, a copy of one file after asking. "Merge finished"
// is shown and the output opened. False when nothing was written.
bool FinishMerge(const DiffSession &session, const std::string &outputPath);

// What "Compare two files" asks for.
enum DiffAction { kDiffShow, kDiffToReport, kDiffToPatch, kDiffMerge };
struct DiffRequestFields {
    std::string first, second, output;
    unsigned options = 0;   // kDiffIgnoreSpace, kDiffIgnoreCase
    int action = kDiffShow;
    bool cSyntax = false;   // "Assume C Syntax": kDiffShow shows the changes by C function
};
// Runs the request: the view (also for a merge), the function view, the report or the patch
// script. False, with the reason shown, when the dialog must stay open.
bool RunDiffRequest(const DiffRequestFields &fields);

// The files of two directories: those only in the first, only in the second, and in both
// (names compared without regard to case; subdirectories left out).
struct DirectoryComparison {
    std::vector<std::string> onlyFirst, onlySecond, both;
};
DirectoryComparison CompareDirectories(const std::string &first, const std::string &second);

void RegisterDiffCommands();
