// Searching and replacing in the documents.
//
// The search text and the replacement come from one-line edit boxes, so neither holds a line
// break: every match lies within one line. A search walks the lines from the cursor, each line
// from the cursor column (forwards) or up to it (backwards); backwards, the match found is
// the one that ends nearest before the cursor, which is what walking the text right to left
// with the reversed text finds. A regular expression is compiled once per search and tried on
// each line; "^" stays the start of the line even when the walk starts inside it.
#include "editor/Search.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "editor/Display.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorWindow.h"
#include "editor/Journal.h"
#include "editor/SearchOptions.h"
#include "lib/Regex.h"
#include "platform/UiPort.h"
#include "ui/OutputWindow.h"

namespace {

SearchState g_state;

inline char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameIgnoringCase(const char *a, const char *b, int n) {
    for (int i = 0; i < n; i++)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

int SimilarIn(const char *word, int length, const char *text, int lineLength, int from, int to, bool backwards,
              int *found);

// The expression compiled last, kept for the next search step with the same text and options
// (F3 after F3 compiles once).
struct CompiledExpression {
    std::string pattern;
    int options = 0;
    Regex *regex = nullptr;
    std::string literal;   // the expression's text when it is one literal, else empty
};
CompiledExpression g_compiled;

void ForgetCompiledExpression() {
    ReleaseRegex(g_compiled.regex);
    g_compiled = CompiledExpression();
}

Regex *CompiledFor(const char *pattern, int options, const char **error) {
    if (g_compiled.regex && g_compiled.options == options && g_compiled.pattern == pattern)
        return g_compiled.regex;
    ForgetCompiledExpression();
    Regex *regex = Compile(pattern, nullptr, error, options);
    if (regex) {
        g_compiled.pattern = pattern;
        g_compiled.options = options;
        g_compiled.regex = regex;
        char literal[kMaxSearchText + 1];
        if (WholeLiteral(regex, literal, sizeof literal) > 0)
            g_compiled.literal = literal;
    }
    return regex;
}

// One search under way: the text prepared for the options, or the compiled expression.
struct Finder {
    unsigned short flags;
    const char *pattern;
    int length;
    char upper[kMaxSearchText + 1];   // the pattern upper-cased for ignore case
    Regex *regex;
    bool plain = false;   // the expression is one literal, looked for as plain text
    bool failed;                      // the expression could not be compiled or gave up
    long stoppedLine;                 // where the expression gave up (from 1), 0 when it did not
    std::string stoppedIn;            // and in which document

    explicit Finder(unsigned short options)
        : flags(options), pattern(g_search->text), regex(nullptr), failed(false), stoppedLine(0) {
        length = static_cast<int>(strlen(pattern));
        for (int i = 0; i <= length; i++)
            upper[i] = Upper(pattern[i]);
        if (flags & kFindRegex) {
            // Ignoring case, the engine folds the letters of the text and of the literals and
            // sets, leaving ranges as written.
            const char *error = nullptr;
            regex = CompiledFor(pattern, IgnoreCase() ? kRegexIgnoreCase : 0, &error);
            failed = regex == nullptr;
            if (failed)
                ErrorBox(error);
            // An expression that is one literal is looked for as plain text: the same matches
            // without the matcher's work at each one.
            if (regex && !g_compiled.literal.empty()) {
                pattern = g_compiled.literal.c_str();
                length = static_cast<int>(g_compiled.literal.size());
                for (int i = 0; i <= length; i++)
                    upper[i] = Upper(pattern[i]);
                plain = true;
            }
        }
    }
    Finder(const Finder &) = delete;
    Finder &operator=(const Finder &) = delete;

    bool IgnoreCase() const { return (flags & kFindIgnoreCase) != 0; }
    // The first of Forwards, Backwards and Wrap that is set decides the direction.
    bool Backwards() const { return !(flags & kFindForwards) && (flags & kFindBackwards); }
    // Notes where the expression gave up, once a line made it fail.
    void NoteFailure(const Document *doc, long number) {
        if (failed && regex && regex->overrun && !stoppedLine) {
            stoppedLine = number;
            stoppedIn = doc->path;
        }
    }
    // An expression that gave up on a line stops the search: it says where. A damaged program
    // is a bad expression.
    void ReportFailure() const {
        if (!regex || !failed)
            return;
        if (regex->broken || !stoppedLine) {
            ErrorMessage(kStrBadRegex);
            return;
        }
        char path[kMaxPathLength + 1];
        CopyBounded(path, stoppedIn.c_str(), sizeof path);
        char text[kMaxPathLength + 128];
        snprintf(text, sizeof text, "The search was stopped: the expression takes too long on line %ld of %s",
                 stoppedLine, LowerCase(path));
        ErrorBox(text);
    }
    bool WholeWords() const { return (flags & kFindWholeWords) != 0; }

    bool TextAt(const char *text, int at) const {
        if (IgnoreCase()) {
            for (int i = 0; i < length; i++)
                if (Upper(text[at + i]) != upper[i])
                    return false;
            return true;
        }
        return memcmp(text + at, pattern, length) == 0;
    }

    bool WordBounds(const char *text, int lineLength, int at, int n) const {
        if (!WholeWords())
            return true;
        bool before = at > 0 && IsIdentifierChar(text[at - 1]);
        bool after = at + n < lineLength && IsIdentifierChar(text[at + n]);
        return !before && !after;
    }

    // The matches of `line` that begin in [from, to): the first one (forwards) or the last one
    // (backwards). Returns its column, or -1; `found` gets its length.
    int InLine(Line *line, int from, int to, bool backwards, int *found);

    // Where the pattern's first character next stands in columns [at, last], or -1.
    int NextFirst(const char *text, int at, int last) const {
        char c = upper[0];
        if (!IgnoreCase() || c < 'A' || c > 'Z') {
            const char *p = FindChar(text + at, text + last + 1, pattern[0]);
            return p ? static_cast<int>(p - text) : -1;
        }
        char lower = static_cast<char>(c - 'A' + 'a');
        for (; at <= last; at++)
            if (text[at] == c || text[at] == lower)
                return at;
        return -1;
    }

    int Plain(const Line *line, int from, int to, bool backwards, int *found) const {
        const char *text = line->text;
        int last = line->length - length;
        if (to - 1 < last)
            last = to - 1;
        if (length == 0 || last < from)
            return -1;
        if (!backwards) {
            for (int at = from; (at = NextFirst(text, at, last)) >= 0; at++) {
                if (TextAt(text, at) && WordBounds(text, line->length, at, length)) {
                    *found = length;
                    return at;
                }
            }
            return -1;
        }
        for (int at = last; at >= from; at--) {
            if (Upper(text[at]) == upper[0] && TextAt(text, at) && WordBounds(text, line->length, at, length)) {
                *found = length;
                return at;
            }
        }
        return -1;
    }

    int Expression(Line *line, int from, int to, bool backwards, int *found) {
        // Lines keep room for a terminating NUL behind their text. (Written only when it is
        // missing: storing into every line would make the walk write the whole document back.)
        if (line->text[line->length])
            line->text[line->length] = '\0';
        const char *text = line->text;
        // The engine's subject ends at the first NUL, so a NUL byte inside the line ends it
        // too. Such a byte is looked for only in a match: one that reaches past it is looked
        // for again in the text before it (which holds no match the whole line would not).
        const char *end = text + line->length;
        bool cut = false;
        int best = -1;
        for (int at = from; at < to && at < line->length;) {
            if (text + at > end)
                break;
            if (!ExecuteFrom(regex, text, text + at, end)) {
                failed = regex->overrun || regex->broken;
                break;
            }
            if (!cut && FindChar(text + at, regex->end[0], '\0')) {
                cut = true;
                end = FindChar(text, text + line->length, '\0');
                continue;
            }
            int start = static_cast<int>(regex->start[0] - text);
            int n = static_cast<int>(regex->end[0] - regex->start[0]);
            // A match that begins at the end of the text counts as none.
            if (start >= to || start >= line->length)
                break;
            if (WordBounds(line->text, line->length, start, n)) {
                best = start;
                *found = n;
                if (!backwards)
                    break;
            }
            at = start + 1;
        }
        return best;
    }

};

// Whether `a` (n bytes) and `b` (m bytes) differ, ignoring case, by at most one edit: a
// character put in, taken out or changed, or two neighbours swapped.
bool WithinOneEdit(const char *a, int n, const char *b, int m) {
    if (n - m > 1 || m - n > 1)
        return false;
    int i = 0;
    while (i < n && i < m && Upper(a[i]) == Upper(b[i]))
        i++;
    if (i == n && i == m)
        return true;
    auto same = SameIgnoringCase;
    if (n == m) {
        if (same(a + i + 1, b + i + 1, n - i - 1))
            return true;   // changed
        return i + 1 < n && Upper(a[i]) == Upper(b[i + 1]) && Upper(a[i + 1]) == Upper(b[i]) &&
               same(a + i + 2, b + i + 2, n - i - 2);   // swapped
    }
    if (n > m)
        return same(a + i + 1, b + i, n - i - 1);   // one more in a
    return same(a + i, b + i + 1, m - i - 1);       // one more in b
}

// The words of a line are its runs of identifier characters. A word is similar to the search
// text when it is within one edit of it, ignoring case; texts of fewer than four characters
// must be equal but for case (one edit would make almost any short word similar).
int SimilarIn(const char *pattern, int length, const char *text, int lineLength, int from, int to, bool backwards,
              int *found) {
    int best = -1;
    // A text that is not one word is found as it stands, case aside.
    bool word = length > 0;
    for (int i = 0; i < length && word; i++)
        word = IsIdentifierChar(pattern[i]);
    if (!word) {
        for (int at = from; at < to && at + length <= lineLength; at++) {
            if (SameIgnoringCase(text + at, pattern, length)) {
                best = at;
                *found = length;
                if (!backwards)
                    break;
            }
        }
        return best;
    }
    for (int i = 0; i < lineLength;) {
        if (!IsIdentifierChar(text[i])) {
            i++;
            continue;
        }
        int start = i;
        while (i < lineLength && IsIdentifierChar(text[i]))
            i++;
        if (start < from || start >= to)
            continue;
        int n = i - start;
        bool similar = length < 4 ? n == length && SameIgnoringCase(text + start, pattern, n)
                                  : WithinOneEdit(text + start, n, pattern, length);
        if (!similar)
            continue;
        best = start;
        *found = n;
        if (!backwards)
            break;
    }
    return best;
}

int Finder::InLine(Line *line, int from, int to, bool backwards, int *found) {
    if (to > line->length + 1)
        to = line->length + 1;
    if (from < 0)
        from = 0;
    if (regex && !plain)
        return Expression(line, from, to, backwards, found);
    if (regex) {
        // An expression sees a line up to its first NUL byte: a match must end before it.
        int at = Plain(line, from, to, backwards, found);
        const char *nul = at >= 0 ? FindChar(line->text, line->text + at + *found, '\0') : nullptr;
        if (!nul)
            return at;
        int before = static_cast<int>(nul - line->text) - length + 1;
        return before > from ? Plain(line, from, before < to ? before : to, backwards, found) : -1;
    }
    if (flags & kFindSimilar)
        return SimilarIn(pattern, length, line->text, line->length, from, to, backwards, found);
    return Plain(line, from, to, backwards, found);
}

struct Match {
    Line *line;
    long number;   // from 1
    int column;
    int length;
};

// The lines a search may look at: the document, or the chosen function's lines.
void Limits(const Document *doc, long *first, long *last) {
    *first = 1;
    *last = doc->lineCount;
    if ((g_search->flags & kFindByFunction) && g_search->functionFirst > 0) {
        *first = g_search->functionFirst;
        if (g_search->functionLast < *last)
            *last = g_search->functionLast;
    }
}

// Forwards from `line` (number `number`) at `column` to the end of line `stopNumber`, or only
// up to column `stopColumn` of that line when it is not negative.
bool FindForward(Finder &finder, Document *doc, Line *line, long number, int column, long stopNumber,
                 int stopColumn, Match *match) {
    for (; number <= stopNumber && !IsSentinel(doc, line); line = line->next, number++, column = 0) {
        int to = number == stopNumber && stopColumn >= 0 ? stopColumn : line->length + 1;
        int at = finder.InLine(line, column, to, false, &match->length);
        if (finder.failed) {
            finder.NoteFailure(doc, number);
            return false;
        }
        if (at >= 0) {
            *match = {line, number, at, match->length};
            return true;
        }
    }
    return false;
}

// Backwards from `line` (number `number`): matches that end at `column` or before, then whole
// lines up to line `stopNumber`.
bool FindBackward(Finder &finder, Document *doc, Line *line, long number, int column, long stopNumber,
                  Match *match) {
    if (IsSentinel(doc, line)) {
        line = line->prev;
        number = doc->lineCount;
        column = line->length + 1;
    }
    for (; number >= stopNumber && !IsSentinel(doc, line); line = line->prev, number--, column = line->length + 1) {
        // A match may not run past the cursor: it must end at or before it.
        int at = finder.InLine(line, 0, column, true, &match->length);
        while (at >= 0 && at + match->length > column)
            at = finder.InLine(line, 0, at, true, &match->length);
        if (finder.failed) {
            finder.NoteFailure(doc, number);
            return false;
        }
        if (at >= 0) {
            *match = {line, number, at, match->length};
            return true;
        }
        if (IsSentinel(doc, line->prev))
            break;
    }
    return false;
}

// Scrolls the view as KeepCursorVisible would to show the match, when the cursor before it
// stood in the window: the match's row is then known from the cursor's row and the distance
// between their lines, with no walk over the lines in between (KeepCursorVisible, not knowing
// which way to look, walks both ways: a search stepping through a long document would walk it
// twice more). Returns the match's row then, -1 when KeepCursorVisible has to do it all.
int ScrollToMatch(View *view, const Line *oldLine, long oldNumber, const Match &match) {
    Document *doc = view->doc;
    int rows = view->visibleRows < 1 ? 1 : view->visibleRows;
    if (!view->top || IsSentinel(doc, oldLine))
        return -1;
    int row = 0;
    for (const Line *l = view->top; l != oldLine; l = l->next)
        if (IsSentinel(doc, l) || ++row >= rows)
            return -1;
    long target = row + (match.number - oldNumber);
    if (target < 0) {
        view->top = match.line;   // above the window: the match's line on top
        return 0;
    }
    if (target >= rows) {         // below it: on the last row
        // The top goes down by as many lines as the match lies below the window, or, when
        // that is further, is found from the match.
        long down = target - (rows - 1);
        Line *top = view->top;
        if (down < rows) {
            for (long i = 0; i < down; i++)
                top = top->next;
        } else {
            top = match.line;
            for (int r = 0; r < rows - 1 && !IsSentinel(doc, top->prev); r++)
                top = top->prev;
        }
        view->top = top;
        return rows - 1;
    }
    return static_cast<int>(target);
}

void SelectMatch(View *view, const Match &match, bool backwards) {
    const Line *oldLine = view->current;
    long oldNumber = CurrentLineNumber();
    CancelSelection();
    PlaceCursor(match.line, match.number, backwards ? match.column + match.length : match.column);
    BeginSelection();
    PlaceCursor(match.line, match.number, backwards ? match.column : match.column + match.length);
    g_search->matchLine = match.number;
    g_search->matchColumn = match.column;
    g_search->matchLength = match.length;
    g_search->view = view;
    int row = ScrollToMatch(view, oldLine, oldNumber, match);
    if (row < 0) {
        KeepCursorVisible(view);
    } else {
        view->cursorRow = static_cast<short>(row);
        view->cursorVisualColumn = static_cast<short>(VisualColumnOf(view->current, view->column));
    }
    view->state |= kViewRedrawAll | kViewCaretMoved;
}

// One step from the cursor with the working options; false when nothing was found or the
// search could not run (already reported).
bool FindStep(Finder &finder, Match *match, bool *wrapped) {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || finder.failed)
        return false;
    Document *doc = view->doc;
    unsigned short flags = finder.flags;
    bool backwards = finder.Backwards();
    bool wrap = !(flags & kFindForwards) && !backwards && (flags & kFindWrap);
    long first, last;
    Limits(doc, &first, &last);
    long number = CurrentLineNumber();
    Line *line = view->current;
    int column = view->column;
    if (number < first || (number > last + 1 && !backwards)) {
        number = first;
        line = NthLine(doc, first - 1);
        column = 0;
    }
    if (backwards) {
        if (number > last + 1) {
            number = last + 1;
            line = NthLine(doc, last);
            column = 0;
        }
        return FindBackward(finder, doc, line, number, column, first, match);
    }
    if (FindForward(finder, doc, line, number, column, last, -1, match)) {
        if (match->length > 0 || match->line != line || match->column != column)
            return true;
        // An empty match where the cursor stands would be found again and again: move on.
        if (column < line->length && FindForward(finder, doc, line, number, column + 1, last, -1, match))
            return true;
        if (column >= line->length && number < last &&
            FindForward(finder, doc, line->next, number + 1, 0, last, -1, match))
            return true;
    }
    if (!wrap || finder.failed)
        return false;
    if (wrapped)
        *wrapped = true;
    return FindForward(finder, doc, NthLine(doc, first - 1), first, 0, number, column, match);
}

// A minimised window is searched over all windows only with "Search iconized windows".
bool Skipped(const View *view) { return !g_search->searchIconized && EditorWindowMinimized(view); }

// The search over the other windows (scope all windows): each from its first line (its last
// line backwards) until one has a match.
bool SearchOtherWindows(Finder &finder, View *start) {
    bool backwards = finder.Backwards();
    for (View *view = start->next ? start->next : g_editor->views; view && view != start;
         view = view->next ? view->next : g_editor->views) {
        if ((view->doc->flags & kDocNoFile) || Skipped(view))
            continue;
        View *before = g_editor->view;
        MakeCurrent(view);
        long number = CurrentLineNumber();
        int column = view->column;
        if (backwards)
            GotoPosition(view->doc->lineCount + 1, 0);
        else
            GotoTop();
        Match match;
        if (FindStep(finder, &match, nullptr)) {
            ActivateEditorWindow(view);
            SelectMatch(view, match, backwards);
            RefreshEditorWindow(view);
            return true;
        }
        GotoPosition(number, column);
        MakeCurrent(before);
        if (finder.failed)
            return false;
    }
    return false;
}

bool RunSearch() {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view)
        return false;
    if (!g_search->text[0]) {
        ErrorMessage(kStrEmptySearch);
        return false;
    }
    g_search->flags = g_findFlags;
    Finder finder(g_search->flags);
    if (finder.failed)
        return false;
    Match match;
    if (FindStep(finder, &match, nullptr)) {
        SelectMatch(view, match, finder.Backwards());
        RefreshEditorWindow(view);
        return true;
    }
    if (!finder.failed && (finder.flags & kFindAllWindows) && SearchOtherWindows(finder, view))
        return true;
    if (finder.failed) {
        finder.ReportFailure();
        return false;
    }
    if (finder.flags & kFindAllWindows)
        CancelSelection();
    StringNotFound();
    return false;
}

// Replaces the selected match (cursor at its end) by the replacement text.
void ReplaceMatch(const Match &match, bool variable, int index) {
    // The whole text replaced, however long an expression's match was: Undo puts it back.
    std::string original(match.line->text + match.column, match.length);
    CancelSelection();
    PlaceCursor(match.line, match.number, match.column);
    JournalReplacement(variable, index, original.c_str(), g_search->replacement);
    AllowAnyColumn(true);
    DeleteChars(match.length, false);
    InsertText(g_search->replacement, static_cast<long>(strlen(g_search->replacement)));
    AllowAnyColumn(false);
}

// The replace loop in the current view from the cursor; the number of replacements.
// `cancelled` is set when the user ended the whole replace.
int ReplaceInView(Finder &finder, bool *askUser, bool *cancelled) {
    View *view = g_editor->view;
    Document *doc = view->doc;
    long first, last;
    Limits(doc, &first, &last);
    bool wrap = !(finder.flags & (kFindForwards | kFindBackwards)) && (finder.flags & kFindWrap);
    long startNumber = CurrentLineNumber();
    int startColumn = view->column;
    Line *line = view->current;
    // By function: the whole function, wherever the cursor is.
    if (startNumber < first || ((finder.flags & kFindByFunction) && g_search->functionFirst > 0)) {
        startNumber = first, startColumn = 0;
        line = NthLine(doc, first - 1);
    }
    // A replacement with a different text or case is kept record by record so that Undo
    // brings back exactly what stood there.
    bool variable = finder.regex != nullptr || (finder.flags & (kFindIgnoreCase | kFindSimilar)) != 0;
    int count = 0;
    bool secondRound = false;
    long number = startNumber;
    int column = startColumn;
    for (;;) {
        Match match;
        bool found = secondRound ? FindForward(finder, doc, line, number, column, startNumber, startColumn, &match)
                                 : FindForward(finder, doc, line, number, column, last, -1, &match);
        if (!found) {
            if (finder.failed || secondRound || !wrap)
                break;
            secondRound = true;
            number = first;
            line = NthLine(doc, first - 1);
            column = 0;
            continue;
        }
        if (*askUser) {
            // Over all windows the question is asked with the match's window in front.
            if ((finder.flags & kFindAllWindows) && ActiveEditorWindow() != view->window)
                ActivateEditorWindow(view);
            SelectMatch(view, match, false);
            RefreshEditorWindow(view);
            int answer = CurrentUiPort()->AskReplace();
            if (answer != kReplaceYes && answer != kReplaceNo && answer != kReplaceAll) {
                *cancelled = true;
                return count;
            }
            if (answer == kReplaceNo) {
                line = match.line;
                number = match.number;
                column = match.column + 1;
                continue;
            }
            if (answer == kReplaceAll)
                *askUser = false;
        }
        // A line that would grow too long keeps its text: the replace stops there.
        if (match.line->length - match.length + static_cast<long>(strlen(g_search->replacement)) > kMaxLineLength) {
            ErrorMessage(kStrLineTooLong);
            *cancelled = true;
            return count;
        }
        ReplaceMatch(match, variable, count++);
        int growth = static_cast<int>(strlen(g_search->replacement)) - match.length;
        // On the line where the walk began, the second round's end moves with the text.
        if (secondRound && match.number == startNumber)
            startColumn += growth;
        line = view->current;   // the record may have been replaced to make room
        number = match.number;
        column = match.column + static_cast<int>(strlen(g_search->replacement));
        // An empty match would be found again where it stands: step over it.
        if (match.length == 0)
            column++;
    }
    return count;
}

} // namespace

SearchState *g_search = &g_state;

void ResetSearchState() {
    g_state = SearchState();
    ForgetCompiledExpression();
}

bool AcceptSearchRequest(const SearchRequest &request) {
    const char *text = request.text ? request.text : "";
    if (!text[0]) {
        ErrorMessage(kStrEmptySearch);
        return false;
    }
    if (strlen(text) > kMaxSearchText || (request.replacement && strlen(request.replacement) > kMaxSearchText)) {
        ErrorBox("The search and replacement texts hold at most 128 characters");
        return false;
    }
    unsigned short flags = request.flags;
    if (!(flags & (kFindForwards | kFindBackwards | kFindWrap))) {
        ErrorMessage(kStrNoDirection);
        return false;
    }
    g_search->searchIconized = (flags & kFindIconized) != 0;
    flags &= ~kFindIconized;
    if (request.replacement)
        flags &= ~kFindSimilar;
    if (!(flags & kFindCurrentWindow) || (flags & kFindAllWindows))
        flags &= ~kFindWrap;
    if (request.replacement && (flags & kFindByFunction)) {
        flags &= ~(kFindWrap | kFindBackwards | kFindAllWindows);
        flags |= kFindCurrentWindow;
        g_search->functionFirst = request.functionFirst;
        g_search->functionLast = request.functionLast;
    } else {
        flags &= ~kFindByFunction;
        g_search->functionFirst = g_search->functionLast = 0;
    }
    // Wrap alone meant forwards round the document; without it the search still goes forwards.
    if (!(flags & (kFindForwards | kFindBackwards | kFindWrap)))
        flags |= kFindForwards;
    CopyBounded(g_search->text, text, sizeof g_search->text);
    int n = static_cast<int>(strlen(g_search->text));
    for (int i = 0; i < n; i++)
        g_search->reversed[i] = g_search->text[n - 1 - i];
    g_search->reversed[n] = '\0';
    if (request.replacement)
        CopyBounded(g_search->replacement, request.replacement, sizeof g_search->replacement);
    // The history: the newest first, each text once.
    int at = 0;
    while (at < g_search->historyCount && strcmp(g_search->history[at], text) != 0)
        at++;
    if (at == g_search->historyCount && at < kSearchHistory)
        g_search->historyCount++;
    if (at == kSearchHistory)
        at--;
    memmove(g_search->history[1], g_search->history[0], at * sizeof g_search->history[0]);
    CopyBounded(g_search->history[0], text, sizeof g_search->history[0]);
    g_findFlags = g_search->flags = flags;
    return true;
}

bool FindInDocument() {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view)
        return false;
    Finder finder(g_search->flags);
    Match match;
    if (!FindStep(finder, &match, nullptr))
        return false;
    SelectMatch(view, match, finder.Backwards());
    return true;
}

bool FindNext() {
    if (!(g_findFlags & kFindWrap))
        g_findFlags = static_cast<unsigned short>((g_findFlags | kFindForwards) & ~kFindBackwards);
    else
        g_findFlags = static_cast<unsigned short>((g_findFlags | kFindCurrentWindow) & ~kFindAllWindows);
    // The position shown after the jump names the function from a fresh scan.
    if (g_editor && g_editor->doc)
        LookUpPositionFunction(g_editor->doc);
    return RunSearch();
}

bool FindPrevious() {
    g_findFlags = static_cast<unsigned short>((g_findFlags | kFindBackwards) & ~kFindForwards);
    return RunSearch();
}

int ReplaceAll() {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || !g_search->text[0])
        return 0;
    g_search->flags = g_findFlags;
    Finder finder(g_search->flags);
    if (finder.failed)
        return 0;
    // Replacing goes forwards; a backward search direction replaces the same way.
    finder.flags = static_cast<unsigned short>(finder.flags & ~kFindBackwards);
    bool all = (finder.flags & kFindAllWindows) != 0;
    bool ask = (finder.flags & kFindConfirm) != 0;
    int total = 0;
    bool cancelled = false;
    View *start = view;
    std::vector<Document *> done;   // a document shown in two windows is replaced once
    for (View *v = view; v && !cancelled;) {
        bool again = std::find(done.begin(), done.end(), v->doc) != done.end();
        if (v == start || (!again && !(v->doc->flags & kDocNoFile) && !Skipped(v))) {
            done.push_back(v->doc);
            MakeCurrent(v);
            long number = CurrentLineNumber();
            int column = v->column;
            Line *top = v->top;
            long topNumber = top ? LineNumberOf(v->doc, top) : 1;
            if (all)
                GotoTop();
            CancelSelection();
            total += ReplaceInView(finder, &ask, &cancelled);
            // The view comes back to where it was.
            CancelSelection();
            GotoPosition(number, column);
            v->top = NthLine(v->doc, topNumber - 1);
            KeepCursorVisible(v);
            v->state |= kViewRedrawAll | kViewCaretMoved;
            RefreshEditorWindow(v);
            if (finder.failed)
                break;
        }
        if (!all)
            break;
        v = v->next ? v->next : g_editor->views;
        if (v == start)
            break;
    }
    // A question in another window brought that one forward: the first comes back.
    if (all && start->window && ActiveEditorWindow() != start->window)
        ActivateEditorWindow(start);
    MakeCurrent(start);
    g_search->replacements = total;
    if (finder.failed) {
        finder.ReportFailure();
        return total;
    }
    if (!all) {
        if (total > 0)
            ShowStatus(FormatMessageId(kStrSubstitutions, total));
        else if (!cancelled)
            StringNotFound();
    }
    return total;
}

bool GotoLineNumber(long n) {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view || n < 1)
        return false;
    if (n > view->doc->lineCount)
        n = view->doc->lineCount > 0 ? view->doc->lineCount : 1;
    CancelSelection();
    GotoPosition(n, 0);
    Recentre();
    view->state |= kViewRedrawAll | kViewCaretMoved;
    RefreshEditorWindow(view);
    return true;
}

bool SimilarWord(const char *word, const char *line, int length) {
    int found = 0;
    return SimilarIn(word, static_cast<int>(strlen(word)), line, length, 0, length + 1, false, &found) >= 0;
}
