// The balance checks: the document's lines read as one text, comments and strings passed,
// the depths of parentheses, brackets, braces and #if counted, and the first problem reported
// with the line it concerns.
#include "browse/SyntaxCheck.h"

#include <string.h>

#include <string>
#include <vector>

#include "base/Messages.h"
#include "editor/Document.h"

namespace {

enum { kRecordedParentheses = 15, kRecordedBraces = 15, kRecordedIfs = 55, kIfLevelsReported = 15 };

// The document's text with its line numbers: Get() gives the character at `at`, '\n' between
// lines and 0 after the end.
class Text {
public:
    explicit Text(const Document *doc) {
        for (const Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next) {
            starts_.push_back(text_.size());
            text_.append(line->text, static_cast<size_t>(line->length));
            text_ += '\n';
        }
    }
    char Get(size_t at) const { return at < text_.size() ? text_[at] : 0; }
    size_t Size() const { return text_.size(); }
    // The line (from 1) that holds position `at`.
    long LineOf(size_t at) const {
        size_t low = 0, high = starts_.size();
        while (high - low > 1) {
            size_t middle = (low + high) / 2;
            if (starts_[middle] <= at)
                low = middle;
            else
                high = middle;
        }
        return static_cast<long>(low) + 1;
    }

private:
    std::string text_;
    std::vector<size_t> starts_;
};

bool IsIdentifier(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; }

bool Fail(int message, const Document *doc, long line) {
    FormatMessageId(message, doc->path, static_cast<int>(line));
    return false;
}

bool FailText(const char *format, const Document *doc, long line) {
    FormatScratch(format, doc->path, static_cast<int>(line));
    return false;
}

// Passes a string or character constant that starts at `at` (its quote); the position after
// its closing quote, or npos when the line ends first.
size_t PassQuoted(const Text &text, size_t at) {
    char quote = text.Get(at);
    for (size_t i = at + 1; i < text.Size(); i++) {
        char c = text.Get(i);
        if (c == '\\') {
            i++;   // the escaped character, a line feed too (a continued string)
            continue;
        }
        if (c == quote)
            return i + 1;
        if (c == '\n')
            return std::string::npos;
    }
    return std::string::npos;
}

bool StartsWith(const Text &text, size_t at, const char *word) {
    for (size_t i = 0; word[i]; i++)
        if (text.Get(at + i) != word[i])
            return false;
    return true;
}

// The line of the innermost recorded opening, of those recorded.
long Innermost(const std::vector<long> &recorded, long depth) {
    long index = depth < static_cast<long>(recorded.size()) ? depth : static_cast<long>(recorded.size());
    return index > 0 ? recorded[static_cast<size_t>(index - 1)] : 0;
}

} // namespace

bool CheckCSource(Document *doc) {
    Text text(doc);
    long parentheses = 0, brackets = 0, braces = 0, forDepth = 0;
    bool forPending = false;
    std::vector<long> parenLines, braceLines, ifLines;
    long ifs = 0;
    bool lineStart = true;
    for (size_t at = 0; at < text.Size(); at++) {
        char c = text.Get(at);
        if (c == '\n') {
            lineStart = true;
            continue;
        }
        if (c == ' ' || c == '\t')
            continue;
        bool first = lineStart;
        lineStart = false;
        long line = text.LineOf(at);
        if (c == '/' && text.Get(at + 1) == '*') {
            size_t end = at + 2;
            while (end < text.Size() && !(text.Get(end) == '*' && text.Get(end + 1) == '/'))
                end++;
            at = end + 1;
            continue;
        }
        if (c == '/' && text.Get(at + 1) == '/') {
            while (at < text.Size() && !(text.Get(at) == '\n' && text.Get(at - 1) != '\\'))
                at++;
            lineStart = true;
            continue;
        }
        if (c == '"' || c == '\'') {
            size_t end = PassQuoted(text, at);
            if (end == std::string::npos || (c == '\'' && end - at > 10))
                return Fail(c == '"' ? 248 : 277, doc, line);
            at = end - 1;
            continue;
        }
        if (c == '#' && first) {
            size_t word = at + 1;
            while (text.Get(word) == ' ' || text.Get(word) == '\t')
                word++;
            if (StartsWith(text, word, "if")) {
                if (static_cast<long>(ifLines.size()) < kRecordedIfs)
                    ifLines.push_back(line);
                ifs++;
            } else if (StartsWith(text, word, "endif")) {
                if (ifs == 0) {
                    FormatScratch("#endif without matching #if line %d", static_cast<int>(line));
                    return false;
                }
                if (ifs <= static_cast<long>(ifLines.size()))
                    ifLines.pop_back();
                ifs--;
            }
            continue;
        }
        if (c == 'f' && !IsIdentifier(text.Get(at - (at > 0 ? 1 : 0))) && text.Get(at + 1) == 'o' &&
            text.Get(at + 2) == 'r') {
            char after = text.Get(at + 3);
            if (after == ' ' || after == '\t' || after == '(')
                forPending = true;
            at += 2;
            continue;
        }
        switch (c) {
        case '(':
            if (static_cast<long>(parenLines.size()) < kRecordedParentheses)
                parenLines.push_back(line);
            parentheses++;
            if (forPending && forDepth == 0)
                forDepth = parentheses;
            forPending = false;
            break;
        case ')':
            if (parentheses == 0)
                return Fail(249, doc, line);
            if (parentheses <= static_cast<long>(parenLines.size()))
                parenLines.pop_back();
            if (parentheses == forDepth)
                forDepth = 0;
            parentheses--;
            break;
        case '[':
            brackets++;
            break;
        case ']':
            if (brackets == 0)
                return Fail(251, doc, line);
            brackets--;
            break;
        case ';':
            if (parentheses > 0 && !(parentheses == 1 && forDepth == 1))
                return FailText("%s: Syntax error line %d", doc, line);
            break;
        case '{':
        case '}':
            if (parentheses > 0)
                return Fail(250, doc, Innermost(parenLines, parentheses));
            if (c == '{') {
                if (static_cast<long>(braceLines.size()) < kRecordedBraces)
                    braceLines.push_back(line);
                braces++;
            } else {
                if (braces == 0)
                    return Fail(4025, doc, line);
                if (braces <= static_cast<long>(braceLines.size()))
                    braceLines.pop_back();
                braces--;
            }
            break;
        default:
            if (IsIdentifier(c))
                while (IsIdentifier(text.Get(at + 1)))
                    at++;
            break;
        }
    }
    if (parentheses > 0)
        return Fail(250, doc, Innermost(parenLines, parentheses));
    if (braces > 0)
        return Fail(4026, doc, Innermost(braceLines, braces));
    if (ifs > 0)
        return FailText("%s: #if without matching #endif line %d", doc,
                        Innermost(ifLines, ifs < long(kIfLevelsReported) ? ifs : long(kIfLevelsReported)));
    return true;
}

bool CheckEiffelSource(Document *doc) {
    Text text(doc);
    long parentheses = 0, brackets = 0;
    std::vector<long> parenLines;
    for (size_t at = 0; at < text.Size(); at++) {
        char c = text.Get(at);
        long line = text.LineOf(at);
        if (c == '-' && text.Get(at + 1) == '-') {
            while (at < text.Size() && text.Get(at) != '\n')
                at++;
            continue;
        }
        if (c == '"') {
            size_t end = PassQuoted(text, at);
            if (end == std::string::npos)
                return Fail(248, doc, line);
            at = end - 1;
            continue;
        }
        if (c == '(') {
            if (static_cast<long>(parenLines.size()) < kRecordedParentheses)
                parenLines.push_back(line);
            parentheses++;
        } else if (c == ')') {
            if (parentheses == 0)
                return Fail(249, doc, line);
            if (parentheses <= static_cast<long>(parenLines.size()))
                parenLines.pop_back();
            parentheses--;
        } else if (c == '[') {
            brackets++;
        } else if (c == ']') {
            if (brackets == 0)
                return Fail(251, doc, line);
            brackets--;
        }
    }
    if (parentheses > 0)
        return Fail(250, doc, Innermost(parenLines, parentheses));
    return true;
}
