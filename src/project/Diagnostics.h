// The text side of the build results: reading a diagnostic out of a results line, wrapping
// long lines for the results list and joining them back, and the progress lines make sends
// while a build runs. Nothing here touches a window; Build.cpp measures and shows.
#pragma once
#include <functional>
#include <string>
#include <vector>

// A diagnostic picked from the results list: the file (upper-cased, as written in the line; the
// caller makes it absolute), its line (from 1; a line form may give a line that does not exist)
// and the message shown.
struct Diagnostic {
    std::string file;
    int line = 0;
    std::string message;
};

// Parses one joined results line. `eiffel` selects the Eiffel "Line ..." form; otherwise the
// compiler form ("Warning"/"Error"/"CPP" first word) is tried, then the "file(line)" form.
// `currentDirectory` replaces a leading ".\" of an Eiffel file name. False when no record results.
bool ParseDiagnostic(const std::string &text, bool eiffel, const std::string &currentDirectory, Diagnostic *out);

// Splits a results line into the list lines it takes: `fits(text, length)` says whether the first
// `length` characters of `text` fit the list's width. Continuation lines begin with " + ".
// A cut at a blank leaves the blank at the end of the earlier line; a cut at "(" starts the
// continuation with it, so that joining the lines gives back the line exactly.
std::vector<std::string> WrapResultLine(const std::string &line, const std::function<bool(const char *, size_t)> &fits);

// The whole line that list line `index` belongs to: back over the lines that begin with " + " to the
// line they continue, then every following " + " line appended without its prefix. "" when
// `index` is past the end.
std::string JoinWrappedLines(const std::vector<std::string> &lines, size_t index);

// The pending progress text of a running build. Append adds a text make sent; the list lines to add
// (pieces of at most 150 characters) are appended to `pieces`. False when the text would overflow the
// pending line of 4000 characters (the caller shows "Overflow reading error message"; the pending
// line is then emptied so that later texts are still shown).
// Every complete line is given out, each without its "\r"; text after the last line feed stays
// pending. A compile command ("...\bdx.exe -c args", the name in any case) shows as its arguments.
class ProgressLine {
public:
    bool Append(const char *text, std::vector<std::string> *pieces);
    void Clear();
    const std::string &Pending() const;
private:
    std::string pending_;
};
