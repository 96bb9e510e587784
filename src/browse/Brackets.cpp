#include "browse/Brackets.h"

#include <string.h>

#include <vector>

#include "base/CommandIds.h"
#include "base/Commands.h"
#include "browse/ScanCursor.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorWindow.h"

namespace {

// +1 for a line that opens a conditional (#if, #ifdef, #ifndef), -1 for one that closes it
// (#endif), 0 for any other; `hash` receives the column of its "#".
int ConditionalKind(const Line *line, int *hash) {
    *hash = DirectiveColumn(line);
    if (*hash < 0)
        return 0;
    char word[8];
    DirectiveWord(line, *hash + 1, word, sizeof word);
    return ConditionalNesting(word);
}

bool Before(const TextPosition &a, const TextPosition &b) {
    return a.number < b.number || (a.number == b.number && a.column < b.column);
}

// Where the character NextChar returned last stands.
TextPosition LastRead() {
    const ScanCursor &s = g_browse->cursor;
    return {s.line, s.lineCount, s.column - 1};
}

// Puts the scanner's cursor at `column` of a line; its line counter counts from 1, as
// TextPosition does.
void ScanFrom(Document *doc, Line *line, long number, int column) {
    StartScan(doc);
    SetScanPosition(line, column, number);
}

// The next character that is code: not in a comment, a string, a character constant or a
// preprocessor line (a backslash at the end of a line carries a "//" comment or a directive
// on to the next one); -1 at the document's end. Reads in the newline mode, so that a "*" and
// a "/" on two lines never close a comment.
int NextCode() {
    for (;;) {
        int c = NextChar();
        switch (c) {
        case '\n':
            continue;
        case '/':
            if (SkipComment() == 0)
                return c;
            // A "//" comment, and the lines its final backslash carries it to.
            if (!AtScanEnd() && g_browse->cursor.column >= g_browse->cursor.line->length)
                SkipDirective();
            continue;
        case '"':
            SkipString();
            continue;
        case '\'':
            SkipCharConstant();
            continue;
        case '#':
            if (DirectiveColumn(g_browse->cursor.line) != g_browse->cursor.column - 1)
                return c;
            SkipDirective();
            continue;
        default:
            return c;
        }
    }
}

bool MatchForwards(Document *doc, const TextPosition &at, char open, char close, TextPosition *partner) {
    ScanMode mode(true);
    ScanFrom(doc, at.line, at.number, at.column + 1);
    int depth = 1;
    for (int c; (c = NextCode()) >= 0;) {
        if (c == open)
            depth++;
        else if (c == close && --depth == 0) {
            *partner = LastRead();
            return true;
        }
    }
    return false;
}

// Backwards, what is code and what is not can only be told from the start of the document:
// the openers are stacked on the way from there to `at`, and the innermost one left open is
// the partner.
bool MatchBackwards(Document *doc, const TextPosition &at, char open, char close, TextPosition *partner) {
    ScanMode mode(true);
    ScanFrom(doc, FirstLine(doc), 1, 0);
    std::vector<TextPosition> openers;
    for (int c; (c = NextCode()) >= 0 && Before(LastRead(), at);) {
        if (c == open)
            openers.push_back(LastRead());
        else if (c == close && !openers.empty())
            openers.pop_back();
    }
    if (openers.empty())
        return false;
    *partner = openers.back();
    return true;
}

bool ClosingQuote(Document *doc, const TextPosition &at, TextPosition *partner) {
    ScanMode mode(true);
    ScanFrom(doc, at.line, at.number, at.column + 1);
    if (!SkipString())
        return false;
    *partner = LastRead();
    return true;
}

// After "/*" at `at`: the "/" of the "*/" that ends the comment.
bool CommentEnd(Document *doc, const TextPosition &at, TextPosition *partner) {
    ScanMode mode(true);
    ScanFrom(doc, at.line, at.number, at.column + 1);
    SkipComment();
    if (AtScanEnd())
        return false;
    *partner = LastRead();
    return true;
}

// Before "*/" at `at` (the "/"): the "/" of the "/*" that opened the comment.
bool CommentStart(Document *doc, const TextPosition &at, TextPosition *partner) {
    Line *line = at.line;
    long number = at.number;
    for (int i = at.column - 2;; i--) {
        if (i < 0) {
            line = line->prev;
            number--;
            if (IsSentinel(doc, line))
                return false;
            i = line->length - 1;
            continue;
        }
        if (line->text[i] == '/' && i + 1 < line->length && line->text[i + 1] == '*') {
            *partner = {line, number, i};
            return true;
        }
    }
}

// From "//" at `at`: the last character of the comment, on the last line a backslash carries
// it to.
void LineCommentEnd(Document *doc, const TextPosition &at, TextPosition *partner) {
    ScanFrom(doc, at.line, at.number, at.column);
    SkipDirective();
    const ScanCursor &s = g_browse->cursor;
    *partner = {s.line, s.lineCount, s.line->length - 1};
}

bool MatchConditional(Document *doc, const TextPosition &at, int direction, TextPosition *partner) {
    Line *line = at.line;
    long number = at.number;
    int depth = 1;
    for (;;) {
        line = direction > 0 ? line->next : line->prev;
        number += direction;
        if (IsSentinel(doc, line))
            return false;
        int hash = 0;
        int kind = ConditionalKind(line, &hash) * direction;
        if (kind > 0)
            depth++;
        else if (kind < 0 && --depth == 0) {
            *partner = {line, number, hash};
            return true;
        }
    }
}

} // namespace

bool MatchingPosition(Document *doc, const TextPosition &at, TextPosition *partner) {
    Line *line = at.line;
    if (!line || IsSentinel(doc, line))
        return false;
    const char *text = line->text;
    int length = line->length;
    char c = at.column < length ? text[at.column] : '\0';
    static const char kOpeners[] = "([{", kClosers[] = ")]}";
    if (c && strchr(kOpeners, c))
        return MatchForwards(doc, at, c, kClosers[strchr(kOpeners, c) - kOpeners], partner);
    if (c && strchr(kClosers, c))
        return MatchBackwards(doc, at, kOpeners[strchr(kClosers, c) - kClosers], c, partner);
    if (c == '"')
        return ClosingQuote(doc, at, partner);
    if (c == '/') {
        char next = at.column + 1 < length ? text[at.column + 1] : '\0';
        if (next == '*')
            return CommentEnd(doc, at, partner);
        if (next == '/') {
            LineCommentEnd(doc, at, partner);
            return true;
        }
        if (at.column > 0 && text[at.column - 1] == '*')
            return CommentStart(doc, at, partner);
    }
    // A conditional line answers wherever the cursor is on it: the context menu offers the
    // command for the whole line.
    int hash = 0;
    if (int kind = ConditionalKind(line, &hash))
        return MatchConditional(doc, at, kind, partner);
    for (int i = at.column; i < length; i++)
        if (text[i] == '{' || text[i] == '}')
            return MatchingPosition(doc, {line, at.number, i}, partner);
    return false;
}

void GotoMatchingBracket() {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || IsSentinel(view->doc, view->current))
        return;
    TextPosition partner;
    if (!MatchingPosition(view->doc, {view->current, CurrentLineNumber(), view->column}, &partner))
        return;
    CancelSelection();
    PlaceCursor(partner.line, partner.number, partner.column);
    KeepCursorVisible(view);
    view->state |= kViewRedrawAll | kViewCaretMoved;
    RefreshEditorWindow(view);
}

void RegisterBracketCommand() {
    RegisterHandler(IDM_MATCHING_BRACE, [](int, intptr_t) { GotoMatchingBracket(); });
}
