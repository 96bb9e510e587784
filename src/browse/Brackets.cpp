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

bool EndsWithBackslash(const Line *line) { return line->length > 0 && line->text[line->length - 1] == '\\'; }

bool IsDirectiveLine(const Line *line) { return DirectiveColumn(line) >= 0; }

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

// Reads a document forwards from a position and hands out the characters that are code: not
// in a comment, a string, a character constant or a preprocessor line. A backslash at the end
// of a line carries a string, a "//" comment or a directive on to the next one.
class CodeReader {
public:
    CodeReader(Document *doc, const TextPosition &from)
        : doc_(doc), line_(from.line), number_(from.number), column_(from.column) {
        directive_ = from.column == 0 && !IsSentinel(doc, line_) && IsDirectiveLine(line_);
    }

    bool Next(TextPosition *at, char *out) {
        for (;;) {
            if (IsSentinel(doc_, line_))
                return false;
            const char *text = line_->text;
            int length = line_->length;
            if (column_ >= length) {
                bool carried = EndsWithBackslash(line_);
                if (state_ != kBlockComment && !carried)
                    state_ = kCode;
                if (!carried)
                    directive_ = false;
                line_ = line_->next;
                number_++;
                column_ = 0;
                if (state_ == kCode && !directive_ && !IsSentinel(doc_, line_))
                    directive_ = IsDirectiveLine(line_);
                continue;
            }
            char c = text[column_++];
            switch (state_) {
            case kBlockComment:
                if (c == '*' && column_ < length && text[column_] == '/') {
                    column_++;
                    state_ = kCode;
                }
                continue;
            case kLineComment:
                continue;
            case kString:
            case kCharConstant:
                if (c == '\\')
                    column_++;
                else if (c == (state_ == kString ? '"' : '\''))
                    state_ = kCode;
                continue;
            case kCode:
                break;
            }
            if (c == '/' && column_ < length && text[column_] == '*') {
                column_++;
                state_ = kBlockComment;
            } else if (c == '/' && column_ < length && text[column_] == '/') {
                state_ = kLineComment;
                column_ = length;
            } else if (c == '"') {
                state_ = kString;
            } else if (c == '\'') {
                state_ = kCharConstant;
            } else if (!directive_) {
                *at = {line_, number_, column_ - 1};
                *out = c;
                return true;
            }
        }
    }

private:
    enum State { kCode, kBlockComment, kLineComment, kString, kCharConstant };
    Document *doc_;
    Line *line_;
    long number_;
    int column_;
    State state_ = kCode;
    bool directive_;
};

bool MatchForwards(Document *doc, const TextPosition &at, char open, char close, TextPosition *partner) {
    CodeReader reader(doc, {at.line, at.number, at.column + 1});
    TextPosition p;
    char c;
    int depth = 1;
    while (reader.Next(&p, &c)) {
        if (c == open)
            depth++;
        else if (c == close && --depth == 0) {
            *partner = p;
            return true;
        }
    }
    return false;
}

// Backwards, what is code and what is not can only be told from the start of the document:
// the openers are stacked on the way from there to `at`, and the innermost one left open is
// the partner.
bool MatchBackwards(Document *doc, const TextPosition &at, char open, char close, TextPosition *partner) {
    CodeReader reader(doc, {FirstLine(doc), 1, 0});
    std::vector<TextPosition> openers;
    TextPosition p;
    char c;
    while (reader.Next(&p, &c) && Before(p, at)) {
        if (c == open)
            openers.push_back(p);
        else if (c == close && !openers.empty())
            openers.pop_back();
    }
    if (openers.empty())
        return false;
    *partner = openers.back();
    return true;
}

bool ClosingQuote(Document *doc, const TextPosition &at, TextPosition *partner) {
    Line *line = at.line;
    long number = at.number;
    for (int i = at.column + 1;; i++) {
        if (i >= line->length) {
            if (!EndsWithBackslash(line) || IsSentinel(doc, line->next))
                return false;
            line = line->next;
            number++;
            i = -1;
            continue;
        }
        if (line->text[i] == '\\')
            i++;
        else if (line->text[i] == '"') {
            *partner = {line, number, i};
            return true;
        }
    }
}

// After "/*" at `at`: the "/" of the "*/" that ends the comment.
bool CommentEnd(Document *doc, const TextPosition &at, TextPosition *partner) {
    Line *line = at.line;
    long number = at.number;
    for (int i = at.column + 2;; i++) {
        if (i + 1 >= line->length) {
            line = line->next;
            number++;
            if (IsSentinel(doc, line))
                return false;
            i = -1;
            continue;
        }
        if (line->text[i] == '*' && line->text[i + 1] == '/') {
            *partner = {line, number, i + 1};
            return true;
        }
    }
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
    Line *line = at.line;
    long number = at.number;
    while (EndsWithBackslash(line) && !IsSentinel(doc, line->next) && line->next->length > 0) {
        line = line->next;
        number++;
    }
    *partner = {line, number, line->length - 1};
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
