#include "browse/Functions.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "browse/LineScans.h"
#include "browse/NameSet.h"
#include "browse/ScanCursor.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/Search.h"
#include "editor/Language.h"

FunctionEntry *FunctionList(const Document *doc) { return static_cast<FunctionEntry *>(doc->browserWord); }

FunctionEntry *NewFunctionEntry(const std::string &name) {
    size_t length = name.size() < size_t(kMaxFunctionName) ? name.size() : size_t(kMaxFunctionName);
    FunctionEntry *entry = static_cast<FunctionEntry *>(Allocate(sizeof(FunctionEntry) + length));
    if (!entry)
        return nullptr;
    memcpy(entry->text, name.data(), length);
    entry->text[length] = '\0';
    entry->name = entry->text;
    entry->bucket = static_cast<unsigned short>(NameHash(entry->text));
    return entry;
}

bool StoreFunctions(Document *doc, const FunctionListBuilder &list) {
    doc->browserWord = list.head;
    doc->flags |= kDocFunctionsValid;
    return list.head != nullptr;
}

namespace {

// Where a candidate's parenthesis opened: the column just after it.
struct Candidate {
    bool set;
    Line *line;
    int column;
    long lineCount;
};

bool IsBlank(int c) { return c == ' ' || c == '\t'; }

bool InTypeRun(int c) {
    // The words and stars of a return type. Digits belong to it too, so that a type such as
    // uint32_t is passed whole.
    return c == '*' || IsBlank(c) || IsScanIdentifier(c);
}

// The entry for a definition whose parenthesis opened at `candidate` and whose body opened on
// `bodyLine`; null when no name stands before the parenthesis. The cursor is left anywhere.
FunctionEntry *MakeCEntry(const Candidate &candidate, Line *bodyLine, long bodyLineIndex) {
    SetScanPosition(candidate.line, candidate.column, candidate.lineCount);
    int c = PrevChar();
    while (IsBlank(c) || c == '(')
        c = PrevChar();
    if (!IsScanIdentifier(c))
        return nullptr;
    // The name is read backwards; it ends at the start of its line, since the reader passes
    // from one line to the one before without a separator.
    std::string name;
    const Line *nameLine = g_browse->cursor.line;
    while ((IsScanIdentifier(c) || c == ':') && g_browse->cursor.line == nameLine) {
        if (name.size() < kMaxFunctionName)
            name += static_cast<char>(c);
        c = PrevChar();
    }
    std::string forward(name.rbegin(), name.rend());
    // The return type: words, stars and blanks, back to another character or to a
    // preprocessor line, whose words are not part of it.
    const Line *walkLine = nameLine;
    bool directive = false;
    for (;;) {
        if (g_browse->cursor.line != walkLine) {
            walkLine = g_browse->cursor.line;
            directive = DirectiveColumn(walkLine) >= 0;
        }
        if (directive || !InTypeRun(c))
            break;
        c = PrevChar();
    }
    // The declaration begins with the first character other than a blank after the one that
    // stopped the walk.
    if (directive)
        g_browse->cursor.column = walkLine->length;
    else if (c >= 0)
        NextChar();
    int first = SkipBlanks();
    if (first >= 0)
        UnreadChar();
    FunctionEntry *entry = NewFunctionEntry(forward);
    if (!entry)
        return nullptr;
    const ScanCursor &s = g_browse->cursor;
    entry->startLine = s.line;
    entry->startLineNumber = s.lineCount + 1;
    entry->startColumn = static_cast<unsigned short>(s.column + 1);
    entry->bodyLine = bodyLine;
    entry->bodyLineIndex = bodyLineIndex;
    entry->definitionLine = candidate.lineCount + 1;
    return entry;
}

// After old-style parameter declarations may begin: true when the text up to a '{' holds only
// declaration characters (the '{' is read), false when a foreign character comes first (the
// caller steps back over it, to read it again).
bool ReadOldStyleDeclarations(const Candidate &candidate) {
    for (int i = 0; i < candidate.column; i++)
        if (!g_declarationChars[static_cast<unsigned char>(candidate.line->text[i])])
            return false;
    for (;;) {
        int c = NextChar();
        if (c == '{')
            return true;
        if (c == '/' && SkipComment() > 0)
            continue;
        if (c < 0)
            return false;
        if (!g_declarationChars[c])
            return false;
    }
}

// After a '_': passes a whole __declspec(...); otherwise puts the cursor back after the '_'.
void SkipDeclspec() {
    ScanCursor &s = g_browse->cursor;
    Line *line = s.line;
    int column = s.column;
    long count = s.lineCount;
    if (NextChar() == '_' && NextChar() == 'd') {
        const char *rest = "eclspec";
        while (*rest && NextChar() == *rest)
            rest++;
        if (!*rest && SkipBlanks() == '(') {
            for (int depth = 1; depth > 0;) {
                int c = NextChar();
                if (c < 0)
                    return;
                depth += c == '(' ? 1 : c == ')' ? -1 : 0;
            }
            return;
        }
    }
    SetScanPosition(line, column, count);
}

// Passes the lines of a conditional branch the compiler does not see, up to the #endif that
// closes it (or, with `toElse`, an #else or #elif of the same level), and leaves the cursor at
// the end of that line.
void SkipConditionalBranch(bool toElse) {
    ScanCursor &s = g_browse->cursor;
    int depth = 0;
    for (Line *line = s.line->next; !IsSentinel(s.doc, line); line = line->next) {
        s.lineCount++;
        int hash = DirectiveColumn(line);
        if (hash < 0)
            continue;
        char word[8];
        DirectiveWord(line, hash + 1, word, sizeof word);
        int nesting = ConditionalNesting(word);
        bool stop = false;
        if (nesting > 0)
            depth++;
        else if (nesting < 0)
            stop = depth-- == 0;
        else if (strcmp(word, "else") == 0 || strcmp(word, "elif") == 0)
            stop = toElse && depth == 0;
        if (stop) {
            s.line = line;
            s.column = line->length;
            return;
        }
    }
    s.line = s.doc->sentinel;
    s.column = 0;
}

// After a '#': passes the directive. Of a conditional, only the code of the first branch
// counts (and none of an #if 0): when both branches hold the same function header, as they
// often do, reading both would leave a brace open and hide every later function.
void SkipCDirective() {
    ScanCursor &s = g_browse->cursor;
    char word[8];
    int after = DirectiveWord(s.line, s.column, word, sizeof word);
    if (strcmp(word, "else") == 0 || strcmp(word, "elif") == 0) {
        SkipConditionalBranch(false);
        return;
    }
    if (strcmp(word, "if") == 0) {
        const Line *line = s.line;
        while (after < line->length && IsBlank(line->text[after]))
            after++;
        if (after < line->length && line->text[after] == '0' &&
            (after + 1 == line->length || !IsScanIdentifier(static_cast<unsigned char>(line->text[after + 1])))) {
            SkipConditionalBranch(true);
            return;
        }
    }
    SkipDirective();
}

} // namespace

bool ScanCFunctions(Document *doc) {
    ScanMode mode(false);
    StartScan(doc);
    const char *withParentheses = "/\"#'{}()_";
    const char *withoutParentheses = "/\"#'{}_";
    SetTriggers(withParentheses);
    ScanCursor &s = g_browse->cursor;
    FunctionListBuilder list;
    int braces = 0, parentheses = 0;
    Candidate candidate = {};
    for (;;) {
        // Everything but the trigger characters is passed in bulk.
        int c;
        if (IsSentinel(doc, s.line))
            break;
        const unsigned char *text = reinterpret_cast<const unsigned char *>(s.line->text);
        int length = s.line->length, column = s.column;
        while (column < length && !g_triggers[text[column]])
            column++;
        if (column < length) {
            s.column = column + 1;
            c = text[column];
        } else {
            s.column = length;
            c = NextChar();
            if (c < 0)
                break;
            if (!g_triggers[c])
                continue;
        }
        bool bodyOpens = false;
        switch (c) {
        case '/':
            SkipComment();
            break;
        case '"':
            SkipString();
            break;
        case '\'':
            SkipCharConstant();
            break;
        case '#':
            // Preprocessor lines never define functions.
            SkipCDirective();
            break;
        case '_':
            SkipDeclspec();
            break;
        case '{':
            if (++braces == 1) {
                SetTriggers(withoutParentheses);
                parentheses = 0;
            }
            break;
        case '}':
            if (braces > 0 && --braces == 0) {
                SetTriggers(withParentheses);
                candidate.set = false;
                if (list.tail && !list.tail->endLinePointer) {
                    list.tail->endLinePointer = s.line;
                    list.tail->endLine = s.lineCount + 1;
                }
            }
            break;
        case '(':
            if (++parentheses == 1)
                candidate = {true, s.line, s.column, s.lineCount};
            break;
        case ')': {
            if (parentheses > 0)
                parentheses--;
            if (parentheses > 0 || !candidate.set)
                break;
            int next = SkipBlanks();
            if (next == '{')
                bodyOpens = true;
            else if (IsScanIdentifier(next))
                bodyOpens = ReadOldStyleDeclarations(candidate);
            // A prototype or a call: what follows is read again, except a ';'.
            if (!bodyOpens && next >= 0 && next != ';')
                UnreadChar();
            if (!bodyOpens)
                candidate.set = false;
            break;
        }
        }
        if (!bodyOpens)
            continue;
        braces = 1;
        SetTriggers(withoutParentheses);
        Line *bodyLine = s.line;
        int bodyColumn = s.column;
        long bodyCount = s.lineCount;
        if (FunctionEntry *entry = MakeCEntry(candidate, bodyLine, bodyCount))
            list.Append(entry);
        candidate.set = false;
        SetScanPosition(bodyLine, bodyColumn, bodyCount);
    }
    if (braces > 0 && list.tail && !list.tail->endLinePointer) {
        list.tail->endLinePointer = doc->sentinel->prev;
        list.tail->endLine = s.lineCount;
    }
    return StoreFunctions(doc, list);
}

void ReleaseFunctions(Document *doc) {
    FunctionEntry *entry = FunctionList(doc);
    while (entry) {
        FunctionEntry *next = entry->next;
        if (g_browse->currentFunction == entry)
            g_browse->currentFunction = nullptr;
        FreeNameSet(entry->calls);
        FreeNameSet(entry->calledBy);
        Release(entry);
        entry = next;
    }
    doc->browserWord = nullptr;
    doc->flags &= ~kDocFunctionsValid;
}

bool EnsureFunctions(Document *doc) {
    if (g_browse->suspended || (doc->flags & kDocFunctionsValid))
        return true;
    if ((doc->flags & kDocNoFile) || !doc->language)
        return false;
    ReleaseFunctions(doc);
    if (doc->flags & kDocCSource)
        return ScanCFunctions(doc);
    const char *name = doc->language->name;
    if (strcmp(name, GetString(kStrLanguageFortran)) == 0)
        return ScanFortranFunctions(doc);
    if (strcmp(name, "Pascal") == 0)
        return ScanPascalFunctions(doc);
    if (strcasecmp(name, "eiffel") == 0)
        return StoreFunctions(doc, FunctionListBuilder());
    // Assembler, and any language the user gave a start pattern; without one, nothing.
    return ScanPatternFunctions(doc);
}

bool EnsureBrowseInfo() { return g_editor && g_editor->doc && EnsureFunctions(g_editor->doc); }

namespace {

FunctionEntry *FunctionIn(const Document *doc, const char *name) {
    int bucket = NameHash(name);
    for (FunctionEntry *entry = FunctionList(doc); entry; entry = entry->next)
        if (entry->bucket == bucket && strcmp(entry->name, name) == 0)
            return entry;
    return nullptr;
}

Document *Locate(const char *name, bool scan, FunctionEntry **found) {
    char wanted[255];
    snprintf(wanted, sizeof wanted, "%s", name);
    for (Document *doc = g_editor ? g_editor->documents : nullptr; doc; doc = doc->next) {
        if (scan ? !EnsureFunctions(doc) : !(doc->flags & kDocFunctionsValid))
            continue;
        if ((*found = FunctionIn(doc, wanted)) != nullptr)
            return doc;
    }
    return nullptr;
}

} // namespace

FunctionEntry *FindFunction(const char *name) {
    if (!g_editor || !g_editor->doc)
        return nullptr;
    FunctionEntry *entry = FunctionIn(g_editor->doc, name);
    return entry ? g_browse->currentFunction = entry : nullptr;
}

Document *LocateFunction(const char *name, bool jump) {
    FunctionEntry *entry = nullptr;
    Document *doc = Locate(name, true, &entry);
    if (!doc)
        return nullptr;
    g_browse->currentFunction = entry;
    if (jump && OpenPath(doc->path) && g_editor->doc == doc)
        GotoLineNumber(entry->definitionLine);
    return doc;
}

Document *LocateScannedFunction(const char *name) {
    FunctionEntry *entry = nullptr;
    return Locate(name, false, &entry);
}

FunctionEntry *FunctionAtLine(Document *doc, const Line *line, long number) {
    EnsureFunctions(doc);
    FunctionEntry *entry = FunctionList(doc);
    if (!entry || entry->definitionLine > number)
        return nullptr;
    while (entry && entry->endLine < number)
        entry = entry->next;
    for (; entry && entry->definitionLine <= number; entry = entry->next) {
        for (const Line *l = entry->startLine;; l = l->next) {
            // A line record too long for a source line means the list points at freed lines.
            if (!l || l->length > 1000) {
                ReleaseFunctions(doc);
                EnsureFunctions(doc);
                return nullptr;
            }
            if (l == line)
                return entry;
            if (l == entry->endLinePointer || IsSentinel(doc, l))
                break;
        }
    }
    return nullptr;
}

FunctionEntry *FunctionAtCursor() {
    View *view = g_editor ? g_editor->view : nullptr;
    return view ? FunctionAtLine(view->doc, view->current, CurrentLineNumber()) : nullptr;
}

const char *FunctionNameAt(Document *doc, const Line *line, long number, long *first, long *end) {
    FunctionEntry *entry = FunctionAtLine(doc, line, number);
    if (!entry)
        return nullptr;
    *first = entry->definitionLine;
    *end = entry->endLine;
    return entry->name;
}

bool FunctionLinesAt(Document *doc, int index, char *name, int size, long *first, long *last) {
    EnsureFunctions(doc);
    const FunctionEntry *entry = FunctionList(doc);
    for (; entry && index > 0; index--)
        entry = entry->next;
    if (!entry || index < 0)
        return false;
    snprintf(name, size, "%s", entry->name);
    *first = entry->startLineNumber;
    *last = entry->endLine;
    return true;
}

int CountFunctions(Document *doc) {
    EnsureFunctions(doc);
    int n = 0;
    for (const FunctionEntry *entry = FunctionList(doc); entry; entry = entry->next)
        n++;
    return n;
}

std::vector<std::string> FunctionNames(Document *doc) {
    std::vector<std::string> names;
    if (!EnsureFunctions(doc))
        return names;
    for (const FunctionEntry *entry = FunctionList(doc); entry; entry = entry->next)
        names.push_back(entry->name);
    return names;
}
