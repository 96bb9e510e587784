// The line-difference engine: which lines of a first text to delete and which lines of a
// second to insert so that the first becomes the second, as a list of changes or as an edit
// script ("d<line> <count>", "a<line> <count>" followed by the lines), and the file checksum of
// patch scripts. It works on lines in memory and needs no window.
#pragma once

#include <string>
#include <vector>

enum DiffOption : unsigned {
    kDiffKeepList = 0x001,      // the changes as a list instead of an edit script
    kDiffIgnoreSpace = 0x004,   // a run of blanks and tabs is one blank; blanks at the end do not count
    kDiffIgnoreCase = 0x008,
    kDiffPatch = 0x040,
    kDiffKeepText = 0x080,      // each change keeps its inserted lines as one text
    kDiffKeepCommands = 0x200,  // each change keeps its edit commands
};

enum DiffResult { kDiffIdentical = 0, kDiffDifferent = 1, kDiffCannotRead = 2, kDiffFailed = -1 };

struct DiffChange {
    long inserted = 0, deleted = 0;
    long firstDeleted = 0;       // from 1, 0 when nothing is deleted
    long firstInserted = 0;      // from 1 in the second text, 0 when nothing is inserted
    long insertAfter = 0;        // the first text's line after which the inserted lines go
    unsigned flags = 0;          // bit 0: a merge keeps the first text here
    std::string insertedText;    // kDiffKeepText: the inserted lines, each with its line feed
    std::string deleteCommand, insertCommand;   // kDiffKeepCommands
};

// Compares `first` with `second` under the options (the case and white-space bits); the
// changes, in order, go to `changes`. kDiffIdentical, kDiffDifferent or kDiffFailed (shown).
int DiffLines(const std::vector<std::string> &first, const std::vector<std::string> &second, unsigned options,
              std::vector<DiffChange> *changes);

// The edit script of `changes` (found between `first` and `second`; any of them, in order:
// each change's lines are numbered in the first text as it was).
std::string EditScript(const std::vector<DiffChange> &changes, const std::vector<std::string> &second);

// Applies an edit script to `lines`. False with the reason in `error` when the script does
// not fit them (a command out of order or past the end, lines missing, an unknown command);
// `lines` is then unchanged.
bool ApplyEditScript(const std::string &script, std::vector<std::string> *lines, std::string *error);

// A line as the options compare it: under kDiffIgnoreSpace a run of blanks and tabs is one
// blank and blanks at the end are dropped; under kDiffIgnoreCase it is upper-cased.
std::string DiffLineKey(const std::string &line, unsigned options);

// The checksum of a patch script's trailer, over the bytes of a file's text.
unsigned long DiffChecksum(const std::string &bytes);
