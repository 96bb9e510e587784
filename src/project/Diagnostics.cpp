// Diagnostics in the results list. A results line is one line of the error file that the tools
// wrote; a line too wide for the list is shown as several list lines, the later ones beginning
// with " + ", and is joined again before it is parsed. Three line forms name a file and a line:
//     Error c:\src\main.c: 12  message          (compiler form: Warning, Error or CPP first)
//     main.c(12) : error C2065: message         (file(line) form)
//     Line 12 ... (.\root.e) ...                (Eiffel projects)
#include "project/Diagnostics.h"

#include <string.h>

#include "base/TextUtil.h"

namespace {

const size_t kMaxFileName = 511;       // the longest file name of the file(line) form
const int kMaxLineDigits = 9;          // more digits than this cannot be a line of a file
const int kCompilerNumberWidth = 6;    // characters read for the compiler form's line number
const size_t kUnwrappedLength = 30;    // a line that fits in no more than this is not wrapped
const size_t kMaxCutBack = 15;         // a blank or "(" further back than this is not used
const char kContinuation[] = " + ";
const size_t kContinuationLength = 3;
const size_t kPendingMax = 4000;
const size_t kFlushLength = 300;       // a pending line longer than this is shown without its end
const size_t kPieceLength = 150;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(const char *s, const char *prefix) {
    for (; *prefix; s++, prefix++)
        if (Upper(*s) != Upper(*prefix))
            return false;
    return true;
}

const char *SkipBlanks(const char *p) {
    while (*p == ' ')
        p++;
    return p;
}

// Reads up to kMaxLineDigits digits; false when there is none or too many.
bool ReadNumber(const char **p, int *number) {
    const char *s = *p;
    int value = 0, digits = 0;
    for (; IsDigit(*s); s++, digits++) {
        if (digits == kMaxLineDigits)
            return false;
        value = value * 10 + (*s - '0');
    }
    if (digits == 0)
        return false;
    *p = s;
    *number = value;
    return true;
}

// ---- Compiler form ----

// The file name runs to a blank or to a colon that is not followed by a backslash (so "c:\x"
// stays whole); that colon is passed over.
std::string ReadCompilerFileName(const char **p) {
    const char *s = *p;
    std::string name;
    while (*s && *s != ' ') {
        if (*s == ':' && s[1] != '\\') {
            s++;
            break;
        }
        name += *s++;
    }
    *p = s;
    return name;
}

bool ParseCompilerForm(const std::string &text, Diagnostic *out) {
    const char *p = text.c_str();
    bool mayNameDrive = true;   // "Error E2451 c:\x.c 3:" names the file after a code
    if (strncmp(p, "Warning ", 8) == 0) {
        p += 8;
    } else if (strncmp(p, "Error ", 6) == 0) {
        p += 6;
    } else if (StartsWithNoCase(p, "CPP ")) {
        p += 4;
        mayNameDrive = false;
    } else {
        return false;
    }
    std::string file = ReadCompilerFileName(&p);
    if (mayNameDrive) {
        const char *drive = SkipBlanks(p);
        if (IsLetter(drive[0]) && drive[1] == ':' && drive[2] == '\\') {
            p = drive;
            file = ReadCompilerFileName(&p);
        }
    }
    // The line number: blanks, then digits, within six characters.
    int line = 0, used = 0;
    for (; used < kCompilerNumberWidth && *p == ' '; used++)
        p++;
    for (; used < kCompilerNumberWidth && IsDigit(*p); used++)
        line = line * 10 + (*p++ - '0');
    if (line < 1 || file.empty())
        return false;
    if (*p == ':')
        p++;
    p = SkipBlanks(p);
    out->file = Uppered(file);
    out->line = line;
    out->message = "[" + std::to_string(line) + "]:" + p;
    return true;
}

// ---- file(line) form ----

bool IsFileNameChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == ':' || c == '\\' || c == '.' || c == '_' || c == '-';
}

// The word must stand alone: "errors" is not "error".
bool TakeWord(const char **p, const char *word) {
    size_t length = strlen(word);
    if (strncmp(*p, word, length) != 0 || IsLetter((*p)[length]) || IsDigit((*p)[length]))
        return false;
    *p += length;
    return true;
}

bool ParseFileLineForm(const std::string &text, Diagnostic *out) {
    const char *start = text.c_str(), *p = start;
    while (IsFileNameChar(*p))
        p++;
    size_t nameLength = static_cast<size_t>(p - start);
    if (nameLength == 0 || nameLength > kMaxFileName)
        return false;
    p = SkipBlanks(p);
    int line = 0;
    if (*p++ != '(' || !ReadNumber(&p, &line) || *p++ != ')')
        return false;
    while (*p == ' ' || *p == ':')
        p++;
    const char *word = p;
    if (!TakeWord(&p, "warning") && !TakeWord(&p, "error"))
        return false;
    std::string kind(word, p);
    // Drop the word after it, usually the message's code.
    p = SkipBlanks(p);
    while (*p && *p != ' ')
        p++;
    p = SkipBlanks(p);
    out->file = Uppered(std::string(start, nameLength));
    out->line = line;   // 0 is kept: the caller goes to the document's first line
    out->message = kind + " " + p;
    return true;
}

// ---- Eiffel line form ----

bool ParseEiffelForm(const std::string &text, const std::string &currentDirectory, Diagnostic *out) {
    const char *p = text.c_str();
    if (!StartsWithNoCase(p, "Line"))
        return false;
    p += 4;
    while (*p == ' ' || *p == '\t')
        p++;
    int line = 0;
    if (!ReadNumber(&p, &line))
        return false;
    size_t open = text.find('(', static_cast<size_t>(p - text.c_str()));
    if (open == std::string::npos)
        return false;
    size_t close = text.find(')', open + 1);
    if (close == std::string::npos || close == open + 1)
        return false;
    std::string file = text.substr(open + 1, close - open - 1);
    if (file.compare(0, 2, ".\\") == 0 && !currentDirectory.empty()) {
        bool endsWithSeparator = currentDirectory.back() == '\\';
        file = currentDirectory + (endsWithSeparator ? "" : "\\") + file.substr(2);
    }
    out->file = Uppered(file);
    out->line = line;
    out->message = text;
    return true;
}

// ---- Progress ----

// "c:\bdx\bin\bdx.exe -c -g2 x.c" shows as "-g2 x.c". File names are compared without case,
// as Windows does; "mybdx.exe" is another program.
std::string WithoutCompilerName(const std::string &line) {
    static const char kCompiler[] = "bdx.exe";
    const size_t length = sizeof kCompiler - 1;
    size_t blank = line.find(' ');
    if (blank == std::string::npos || blank < length || !StartsWithNoCase(line.c_str() + blank - length, kCompiler))
        return line;
    if (blank > length) {
        char before = line[blank - length - 1];
        if (before != '\\' && before != '/' && before != ':')
            return line;
    }
    size_t p = line.find_first_not_of(' ', blank);
    if (p == std::string::npos)
        return "";
    if (line.compare(p, 3, "-c ") == 0)
        p += 3;
    return line.substr(p);
}

void AddPieces(const std::string &line, std::vector<std::string> *pieces) {
    if (line.empty()) {
        pieces->push_back(line);   // an empty line the tool wrote stays a line
        return;
    }
    for (size_t at = 0; at < line.size(); at += kPieceLength)
        pieces->push_back(line.substr(at, kPieceLength));
}

}  // namespace

bool ParseDiagnostic(const std::string &text, bool eiffel, const std::string &currentDirectory, Diagnostic *out) {
    if (eiffel)
        return ParseEiffelForm(text, currentDirectory, out);
    return ParseCompilerForm(text, out) || ParseFileLineForm(text, out);
}

// ---- Wrapping ----

std::vector<std::string> WrapResultLine(const std::string &line, const std::function<bool(const char *, size_t)> &fits) {
    std::vector<std::string> lines;
    std::string rest = line;
    for (;;) {
        if (rest.size() <= kUnwrappedLength || fits(rest.c_str(), rest.size())) {
            lines.push_back(rest);
            return lines;
        }
        // The longest start that fits, above 30 characters. A longer text is never narrower, so
        // a binary search finds what dropping one character at a time would.
        size_t low = kUnwrappedLength, high = rest.size();   // low: fits or is the floor; high: does not fit
        while (high - low > 1) {
            size_t middle = low + (high - low) / 2;
            if (fits(rest.c_str(), middle))
                low = middle;
            else
                high = middle;
        }
        if (low == kUnwrappedLength) {
            lines.push_back(rest);   // too narrow to wrap usefully
            return lines;
        }
        // Back to a blank or "(" from position 31 on, when it is near.
        size_t cut = low;
        size_t first = low > kMaxCutBack ? low - kMaxCutBack + 1 : 0;
        if (first < kUnwrappedLength + 1)
            first = kUnwrappedLength + 1;
        for (size_t at = low; at-- > first;) {
            if (rest[at] == ' ') {
                cut = at + 1;
                break;
            }
            if (rest[at] == '(') {
                cut = at;
                break;
            }
        }
        lines.push_back(rest.substr(0, cut));
        rest = kContinuation + rest.substr(cut);
    }
}

static bool IsContinuation(const std::string &line) {
    return line.compare(0, kContinuationLength, kContinuation) == 0;
}

std::string JoinWrappedLines(const std::vector<std::string> &lines, size_t index) {
    if (index >= lines.size())
        return "";
    size_t first = index;
    while (first > 0 && IsContinuation(lines[first]))
        first--;
    std::string joined = lines[first];
    for (size_t i = first + 1; i < lines.size() && IsContinuation(lines[i]); i++)
        joined += lines[i].substr(kContinuationLength);
    return joined;
}

// ---- ProgressLine ----

bool ProgressLine::Append(const char *text, std::vector<std::string> *pieces) {
    size_t length = text ? strlen(text) : 0;
    if (pending_.size() + length > kPendingMax) {
        pending_.clear();
        return false;
    }
    pending_.append(text ? text : "", length);
    for (;;) {
        size_t feed = pending_.find('\n');
        bool complete = feed != std::string::npos;
        std::string line = pending_.substr(0, feed);
        if (complete && !line.empty() && line.back() == '\r')
            line.pop_back();
        line = WithoutCompilerName(line);
        if (!complete && line.size() <= kFlushLength)
            return true;
        AddPieces(line, pieces);
        pending_.erase(0, complete ? feed + 1 : std::string::npos);
    }
}

void ProgressLine::Clear() {
    pending_.clear();
}

const std::string &ProgressLine::Pending() const {
    return pending_;
}
