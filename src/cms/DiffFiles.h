// Comparing files with the difference engine: reading them, the difference report, the patch
// script with its checksums, and applying a patch script.
#pragma once

#include <string>
#include <vector>

#include "cms/Diff.h"

// The lines of a file (line feeds removed, a carriage return before them too). False, with the
// reason shown, when it cannot be read or a line is too long to compare (65,535 characters).
bool ReadDiffLines(const std::string &path, std::vector<std::string> *lines);

// Compares two files: kDiffIdentical, kDiffDifferent, kDiffCannotRead or kDiffFailed; the
// lines read stay in `first`/`second` for the caller.
int CompareFiles(const std::string &firstPath, const std::string &secondPath, unsigned options,
                 std::vector<std::string> *first, std::vector<std::string> *second, std::vector<DiffChange> *changes);

// Of one change, at most this many lines are shown, and the text that says so.
const long kMaxShownLines = 200;
extern const char kTooManyLinesText[];
// "Erase <count> lines beginning with line <first>" (`erased`) or "Add ...", as the report and
// the function details write a change's part.
std::string ChangeLinesText(bool erased, long count, long first);

// The report text of a comparison ("Kelto-Diff <first> vs <second>: <n> changes. <date>", then
// each change with the lines it erases and adds).
std::string DiffReport(const std::string &firstPath, const std::string &secondPath, const std::vector<std::string> &first,
                       const std::vector<std::string> &second, const std::vector<DiffChange> &changes,
                       const std::string &date);
// Writes the report to `reportPath`: appended after a line of hyphens to an earlier report,
// or, after asking, in place of another file. False when nothing was written.
bool WriteDiffReport(const std::string &reportPath, const std::string &report);

// The patch script that turns `firstPath` into `secondPath`, written to `scriptPath`; false,
// with the reason shown, when it could not be.
bool WritePatchScript(const std::string &firstPath, const std::string &secondPath, const std::string &scriptPath);
// Applies a patch script to `sourcePath`, writing `outputPath` (through a temporary file, so
// that a refused or broken script leaves every file as it was). The checksums are compared
// when they are not 0 (a differing source is asked about). False when nothing was written.
bool ApplyPatchScript(const std::string &scriptPath, const std::string &sourcePath, const std::string &outputPath);

// A file's checksum as a patch script holds it (0 when the file cannot be read).
unsigned long FileChecksum(const std::string &path);
