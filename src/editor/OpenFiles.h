// The list of open files that a session or a project keeps: each document's path, current
// line and window rectangle, stored as "%s %d %d %d %d %d" (a path with blanks in double
// quotes), and reopened from that list at the next start.
#pragma once

#include <string>
#include <vector>

struct OpenFileEntry {
    std::string path;
    long line = 0;
    int rect[4] = {0, 0, 0, 0};   // left, top, right, bottom; a negative left: minimised, right: maximised
    int numbers = 0;              // how many of line and rect were stored
};

// Parses a stored entry: the path up to the first blank (or between quotes), then up to five
// numbers one or more blanks apart. False when there is no path.
bool ParseOpenFile(const char *text, OpenFileEntry *entry);
// The stored form of an entry.
std::string FormatOpenFile(const OpenFileEntry &entry);
// The documents that are real files and have a window, as entries.
std::vector<OpenFileEntry> CollectOpenFiles();
// Opens the files at their lines and window places, the window of `current` (a path, may be
// null) active at the end. Files that cannot be read are listed in "Load error"; when one of
// them is `current`, `current` is emptied. The number of files opened.
int ReopenFiles(const std::vector<OpenFileEntry> &files, char *current);
