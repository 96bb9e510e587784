// The line-based function scans. Each walks the document's lines once and works on a copy of
// the line it looks at, so no line is changed and no line is too long for it.
//
// Pascal routines are kept on a stack while they are open, each with the begin/end level at
// which its header stood. The "begin" (or "asm") at that level opens its body and the "end"
// that brings the level back to it closes the routine. A routine nested in another is pushed
// above it and closed first, so the outer one still finds its own body afterwards. "case",
// "record" and "try" raise the level too, since their "end" would otherwise close the routine
// early; only the end of a begin block closes a routine. The kind of block is remembered for
// the first kPascalLevels levels; deeper blocks are taken as begin blocks.
//
// How a routine ends when the text does not close it: a routine whose body never began (a
// declaration whose "external" stands on a later line, a method declared in a class type)
// ends on its own header line, at the first "end" that has no block to close or at the end of
// the text; a routine whose body is still open at the end of the text ends on the last line.
#include "browse/LineScans.h"

#include <string.h>

#include <string>
#include <vector>

#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "browse/Functions.h"
#include "editor/Document.h"
#include "editor/Language.h"
#include "lib/Regex.h"
#include "ui/OutputWindow.h"

namespace {

enum { kPascalLevels = 50, kMaxLiteralWord = 256 };

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_';
}

std::string TextOf(const Line *line) { return std::string(line->text, static_cast<size_t>(line->length)); }

// Where `word` stands in `text` at `from` or after as a word of its own: an end of it that is
// an identifier character has none beside it. npos when it does not.
size_t FindWord(const std::string &text, const char *word, size_t from = 0) {
    size_t length = strlen(word);
    if (length == 0)
        return std::string::npos;
    for (size_t at = text.find(word, from); at != std::string::npos; at = text.find(word, at + 1)) {
        bool before = at > 0 && IsWordChar(word[0]) && IsWordChar(text[at - 1]);
        bool after = at + length < text.size() && IsWordChar(word[length - 1]) && IsWordChar(text[at + length]);
        if (!before && !after)
            return at;
    }
    return std::string::npos;
}

void EndAt(FunctionEntry *entry, Line *line, long number) {
    entry->endLinePointer = line;
    entry->endLine = number;
}

// An entry whose header is `line`, the `number`th line (from 1).
FunctionEntry *NewLineEntry(const std::string &name, Line *line, long number, long counter, size_t column) {
    FunctionEntry *entry = NewFunctionEntry(name);
    if (!entry)
        return nullptr;
    entry->startLine = entry->bodyLine = line;
    entry->startColumn = static_cast<unsigned short>(column);
    entry->startLineNumber = entry->definitionLine = number;
    entry->bodyLineIndex = counter;
    return entry;
}

// ---- Pattern scan ----

// The code of `line`: its text up to the first `comment` character outside '...'.
std::string CodeOf(const Line *line, char comment) {
    std::string text = TextOf(line);
    if (!comment)
        return text;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\'')
            quoted = !quoted;
        else if (text[i] == comment && !quoted)
            return text.substr(0, i);
    }
    return text;
}

// Whether `pattern` matches `code`. The patterns end a word with a blank or a tab
// ("PROC[ \t]"), so a word that ends the line is tried again with a blank after it, which
// `code` then keeps.
bool MatchesCode(Regex *pattern, std::string &code) {
    if (Execute(pattern, code.c_str()))
        return true;
    if (pattern->overrun || code.empty() || IsBlank(code.back()))
        return false;
    code += ' ';
    if (Execute(pattern, code.c_str()))
        return true;
    code.pop_back();
    return false;
}

// The name of a function from the code that matched: the text before the pattern's literal
// word, or after it when nothing stands before it ("WndProc PROC hWin:DWORD" is WNDPROC, not
// its operands too), with tabs as blanks and no blanks at either end. The word is taken where
// it first stands as a word of its own after the match's start, else where it first stands.
std::string PatternName(std::string code, size_t matchStart, const char *word) {
    size_t length = strlen(word);
    size_t at = length ? FindWord(code, word, matchStart) : std::string::npos;
    if (length && at == std::string::npos)
        at = code.find(word, matchStart);
    for (char &c : code)
        if (c == '\t')
            c = ' ';
    auto trimmed = [](const std::string &text) {
        size_t first = text.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') + 1 - first);
    };
    if (at == std::string::npos)
        return trimmed(code);
    std::string before = trimmed(code.substr(0, at));
    return before.empty() ? trimmed(code.substr(at + length)) : before;
}

Regex *CompileFunctionPattern(const Language *language, const char *pattern, int options) {
    const char *error = nullptr;
    Regex *compiled = Compile(pattern, nullptr, &error, options);
    if (!compiled)
        AddOutputLine(FormatScratch("%s: function pattern \"%s\": %s", language->name, pattern,
                                    error && *error ? error : GetString(kStrBadRegex)));
    return compiled;
}

// ---- Fortran scan ----

// Whether the upper-cased `text` is an END statement: after blanks, tabs and a label, "END"
// alone or followed by a blank or a tab, but not END IF or END DO, which close a block.
bool IsFortranEnd(const std::string &text) {
    size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || IsDigit(text[i])))
        i++;
    if (text.compare(i, 3, "END") != 0)
        return false;
    i += 3;
    if (i < text.size() && !IsBlank(text[i]))
        return false;
    while (i < text.size() && IsBlank(text[i]))
        i++;
    size_t word = i;
    while (i < text.size() && IsWordChar(text[i]))
        i++;
    std::string next = text.substr(word, i - word);
    return next != "IF" && next != "DO";
}

// ---- Pascal scan ----

enum BlockKind : unsigned char { kBodyBlock, kStatementBlock, kRecordBlock };
enum PascalComment { kNoComment, kBraceComment, kParenComment };

struct OpenRoutine {
    FunctionEntry *entry;
    long level;        // the begin/end level of its header
    bool bodyOpen;
};

class PascalScan {
public:
    explicit PascalScan(Document *doc) : doc_(doc) {}

    bool Run() {
        long counter = 0;
        Line *last = nullptr;
        for (Line *line = FirstLine(doc_); !IsSentinel(doc_, line); line = line->next, counter++) {
            ReadLine(line, counter);
            last = line;
        }
        // What the text left open: see the top of the file.
        while (!open_.empty())
            EndTopRoutine(last, counter);
        return StoreFunctions(doc_, list_);
    }

private:
    Document *doc_;
    FunctionListBuilder list_;
    std::vector<OpenRoutine> open_;
    BlockKind kinds_[kPascalLevels] = {};
    long level_ = 0;
    bool recognising_ = false;    // after "program" or "implementation"
    PascalComment comment_ = kNoComment;

    void ReadLine(Line *line, long counter) {
        const std::string text = TextOf(line);
        size_t n = text.size();
        for (size_t i = 0; i < n;) {
            char c = text[i];
            if (comment_ != kNoComment) {
                bool brace = comment_ == kBraceComment;
                size_t close = brace ? text.find('}', i) : text.find("*)", i);
                if (close == std::string::npos)
                    return;
                comment_ = kNoComment;
                i = close + (brace ? 1 : 2);
            } else if (c == '{') {
                comment_ = kBraceComment;
                i++;
            } else if (c == '(' && i + 1 < n && text[i + 1] == '*') {
                comment_ = kParenComment;
                i += 2;
            } else if (c == '/' && i + 1 < n && text[i + 1] == '/') {
                return;
            } else if (c == '\'') {
                size_t close = text.find('\'', i + 1);
                if (close == std::string::npos)
                    return;
                i = close + 1;
            } else if (IsWordChar(c)) {
                size_t end = i;
                while (end < n && IsWordChar(text[end]))
                    end++;
                if (!IsDigit(c))
                    Word(Lowered(text.substr(i, end - i)), line, counter, text, end);
                i = end;
            } else {
                i++;
            }
        }
    }

    void Word(const std::string &word, Line *line, long counter, const std::string &text, size_t after) {
        if (word == "program" || word == "implementation")
            recognising_ = true;
        else if (word == "begin" || word == "asm")
            OpenBlock(kBodyBlock);
        else if (word == "record")
            OpenBlock(kRecordBlock);
        else if (word == "try")
            OpenBlock(kStatementBlock);
        else if (word == "case") {
            // The variant part of a record has no end of its own.
            if (level_ > 0 && KindAt(level_ - 1) != kRecordBlock)
                OpenBlock(kStatementBlock);
        } else if (word == "end")
            CloseBlock(line, counter);
        else if (recognising_ && (word == "procedure" || word == "function"))
            Header(line, counter, text, after);
    }

    BlockKind KindAt(long level) const { return level < kPascalLevels ? kinds_[level] : kBodyBlock; }

    void OpenBlock(BlockKind kind) {
        if (kind == kBodyBlock && !open_.empty() && open_.back().level == level_)
            open_.back().bodyOpen = true;
        if (level_ < kPascalLevels)
            kinds_[level_] = kind;
        level_++;
    }

    // Ends the routine on top of the stack: on `line` when its body began, else on its header.
    void EndTopRoutine(Line *line, long number) {
        FunctionEntry *entry = open_.back().entry;
        if (open_.back().bodyOpen)
            EndAt(entry, line, number);
        else
            EndAt(entry, entry->startLine, entry->definitionLine);
        open_.pop_back();
    }

    void CloseBlock(Line *line, long counter) {
        if (level_ == 0) {
            // An end with no block (a class or object type's): the declarations before it
            // had no body.
            while (!open_.empty() && !open_.back().bodyOpen)
                EndTopRoutine(line, counter + 1);
            return;
        }
        level_--;
        // Routines declared inside the block (the methods of a record type) had no body.
        while (!open_.empty() && open_.back().level > level_)
            EndTopRoutine(line, counter + 1);
        if (KindAt(level_) != kBodyBlock || open_.empty())
            return;
        OpenRoutine &top = open_.back();
        if (top.level != level_ || !top.bodyOpen)
            return;
        EndAt(top.entry, line, counter + 1);
        top.entry->nesting = static_cast<unsigned short>(level_);
        open_.pop_back();
    }

    void Header(Line *line, long counter, const std::string &text, size_t after) {
        std::string lower = Lowered(text);
        if (FindWord(lower, "external") != std::string::npos || FindWord(lower, "forward") != std::string::npos)
            return;
        while (after < text.size() && IsBlank(text[after]))
            after++;
        size_t end = after;
        while (end < text.size() && (IsWordChar(text[end]) || text[end] == '.'))
            end++;
        // A procedural type ("procedure(x: integer)") has no name.
        if (end == after)
            return;
        FunctionEntry *entry = NewLineEntry(text.substr(after, end - after), line, counter + 1, counter, after);
        if (!entry)
            return;
        list_.Append(entry);
        open_.push_back({entry, level_, false});
    }
};

} // namespace

bool ScanPatternFunctions(Document *doc) {
    FunctionListBuilder list;
    const Language *language = doc->language;
    if (!language || !language->startPattern || !*language->startPattern)
        return StoreFunctions(doc, list);
    bool fold = (language->flags & kLanguageCaseInsensitive) != 0;
    int options = fold ? kRegexIgnoreCase : 0;
    Regex *start = CompileFunctionPattern(language, language->startPattern, options);
    Regex *end = nullptr;
    if (start && language->endPattern && *language->endPattern) {
        end = CompileFunctionPattern(language, language->endPattern, options);
        if (!end) {
            ReleaseRegex(start);
            start = nullptr;
        }
    }
    if (!start)
        return StoreFunctions(doc, list);
    char word[kMaxLiteralWord];
    LiteralWord(start, word, sizeof word);
    if (fold)
        UpperCase(word);
    char comment = language->commentChars ? language->commentChars[0] : '\0';

    bool inside = false;   // between a start and its end pattern
    long number = 0;
    Line *last = nullptr;
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next) {
        number++;
        last = line;
        std::string code = CodeOf(line, comment);
        if (fold)
            code = Uppered(code);
        if (code.find_first_not_of(" \t") == std::string::npos)
            continue;
        if (inside) {
            if (MatchesCode(end, code)) {
                EndAt(list.tail, line, number);
                inside = false;
            }
            continue;
        }
        if (!MatchesCode(start, code))
            continue;
        std::string name = PatternName(code, static_cast<size_t>(start->start[0] - code.c_str()), word);
        if (name.empty())
            continue;
        if (!end && list.tail)
            EndAt(list.tail, line->prev, number - 1);
        FunctionEntry *entry = NewLineEntry(name, line, number, number, 0);
        if (!entry)
            continue;
        list.Append(entry);
        inside = end != nullptr;
    }
    if (list.tail && !list.tail->endLinePointer)
        EndAt(list.tail, last, number);
    if (inside)
        AddOutputLine(FormatMessageId(kStrOpenFunctionDefinition, doc->path));
    ReleaseRegex(start);
    ReleaseRegex(end);
    return StoreFunctions(doc, list);
}

bool ScanFortranFunctions(Document *doc) {
    FunctionListBuilder list;
    FunctionEntry *routine = nullptr;
    long number = 0;
    Line *last = nullptr;
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next) {
        number++;
        last = line;
        // A comment line begins with another character (C, *, !...); an empty line holds
        // nothing.
        if (line->length == 0 || !(IsBlank(line->text[0]) || IsDigit(line->text[0])))
            continue;
        std::string text = Uppered(TextOf(line));
        if (routine) {
            if (IsFortranEnd(text)) {
                EndAt(routine, line, number);
                routine = nullptr;
            }
            continue;
        }
        const char *keyword = "PROGRAM";
        size_t at = FindWord(text, keyword);
        if (at == std::string::npos) {
            keyword = "SUBROUTINE";
            at = FindWord(text, keyword);
        }
        if (at == std::string::npos)
            continue;
        size_t name = at + strlen(keyword);
        while (name < text.size() && IsBlank(text[name]))
            name++;
        size_t after = name;
        while (after < text.size() && !IsBlank(text[after]) && text[after] != '(')
            after++;
        if (after == name)
            continue;
        routine = NewLineEntry(text.substr(name, after - name), line, number, number, name);
        if (routine)
            list.Append(routine);
    }
    // A routine the text leaves open ends on the last line.
    if (routine)
        EndAt(routine, last, number);
    return StoreFunctions(doc, list);
}

bool ScanPascalFunctions(Document *doc) { return PascalScan(doc).Run(); }
