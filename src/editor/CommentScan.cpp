#include "editor/CommentScan.h"

#include <string.h>

#include <vector>

#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "editor/CommentSpans.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/Language.h"

namespace {

enum Style { kStyleNone, kStyleC, kStyleAssembler, kStyleFortran, kStylePascal, kStyleEiffel };

Style StyleOf(const Language *language) {
    if (!language)
        return kStyleNone;
    const char *name = language->name;
    if (strcmp(name, GetString(kStrLanguageC)) == 0)
        return kStyleC;
    if (strcmp(name, GetString(kStrLanguageAssembly)) == 0)
        return kStyleAssembler;
    if (strcmp(name, GetString(kStrLanguageFortran)) == 0)
        return kStyleFortran;
    if (strcmp(name, "Pascal") == 0)
        return kStylePascal;
    if (strcasecmp(name, "eiffel") == 0)
        return kStyleEiffel;
    return kStyleNone;
}

struct Builder {
    CommentSpan *first = nullptr;
    CommentSpan *last = nullptr;
    bool failed = false;

    CommentSpan *Open(Line *line, int column) {
        CommentSpan *span = static_cast<CommentSpan *>(Allocate(sizeof(CommentSpan)));
        if (!span) {
            failed = true;
            return nullptr;
        }
        span->firstLine = span->lastLine = line;
        span->firstColumn = span->lastColumn = static_cast<unsigned short>(column);
        span->prev = last;
        if (last)
            last->next = span;
        else
            first = span;
        last = span;
        return span;
    }
};

void Release(CommentSpan *span) {
    while (span) {
        CommentSpan *next = span->next;
        ::Release(span);
        span = next;
    }
}

int FirstNonBlank(const Line *line) {
    int i = 0;
    while (i < line->length && (line->text[i] == ' ' || line->text[i] == '\t'))
        i++;
    return i;
}

// Past a quoted piece starting at `i` (the quote); a backslash takes the next character.
int PastQuote(const Line *line, int i, bool escapes) {
    char quote = line->text[i++];
    while (i < line->length && line->text[i] != quote)
        i += escapes && line->text[i] == '\\' ? 2 : 1;
    return i < line->length ? i + 1 : line->length;
}

// What a scan carries from one line to the next: a comment that runs on.
struct ScanState {
    CommentSpan *open = nullptr;
    bool lineComment = false;   // C: a // comment continued by a backslash
    bool Neutral() const { return open == nullptr; }
};

void RunsToEnd(CommentSpan *span, const Line *line) {
    span->lastLine = const_cast<Line *>(line);
    span->lastColumn = static_cast<unsigned short>(line->length > 0 ? line->length - 1 : 0);
}

// C: /* */ across lines, // to the end of the line and on while lines end with a backslash.
void ScanCLine(Builder &b, ScanState &st, Line *line) {
    if (st.lineComment) {
        RunsToEnd(st.open, line);
        st.lineComment = line->length > 0 && line->text[line->length - 1] == '\\';
        if (!st.lineComment)
            st.open = nullptr;
        return;
    }
    int i = st.open ? 0 : FirstNonBlank(line);
    while (i < line->length) {
        char c = line->text[i];
        bool next = i + 1 < line->length;
        if (st.open) {
            if (c == '*' && next && line->text[i + 1] == '/') {
                st.open->lastLine = line;
                st.open->lastColumn = static_cast<unsigned short>(i + 1);
                st.open = nullptr;
                i += 2;
            } else {
                i++;
            }
            continue;
        }
        if (c == '"' || c == '\'') {
            i = PastQuote(line, i, true);
        } else if (c == '/' && next && line->text[i + 1] == '*') {
            st.open = b.Open(line, i);
            if (!st.open)
                return;
            i += 2;
        } else if (c == '/' && next && line->text[i + 1] == '/') {
            CommentSpan *span = b.Open(line, i);
            if (!span)
                return;
            RunsToEnd(span, line);
            if (line->text[line->length - 1] == '\\') {
                st.open = span;
                st.lineComment = true;
            }
            return;
        } else {
            i++;
        }
    }
    if (st.open)
        RunsToEnd(st.open, line);   // still open: its end follows when it closes
}

// A comment from `marker` to the end of the line, outside '...' (and, for Eiffel, "...")
// strings.
void ScanToLineEnd(Builder &b, Line *line, const char *marker, bool doubleQuotes) {
    size_t n = strlen(marker);
    if (n == 0)
        return;
    for (int i = FirstNonBlank(line); i < line->length;) {
        if (line->text[i] == '\'' || (doubleQuotes && line->text[i] == '"')) {
            i = PastQuote(line, i, false);
        } else if (i + static_cast<int>(n) <= line->length && memcmp(line->text + i, marker, n) == 0) {
            if (CommentSpan *span = b.Open(line, i))
                RunsToEnd(span, line);
            return;
        } else {
            i++;
        }
    }
}

// Fortran: a line that does not begin with a blank, a tab or a digit is a comment.
void ScanFortranLine(Builder &b, Line *line) {
    if (line->length == 0)
        return;
    char c = line->text[0];
    if (c == ' ' || c == '\t' || (c >= '0' && c <= '9'))
        return;
    if (CommentSpan *span = b.Open(line, 0))
        RunsToEnd(span, line);
}

// Pascal: { or (* opens, } or *) closes, across lines, outside '...' strings.
void ScanPascalLine(Builder &b, ScanState &st, Line *line, char opener, char closer) {
    int i = st.open ? 0 : FirstNonBlank(line);
    while (i < line->length) {
        char c = line->text[i];
        bool star = c == '*' && i + 1 < line->length && line->text[i + 1] == ')';
        if (st.open) {
            if (c == closer || star) {
                st.open->lastLine = line;
                st.open->lastColumn = static_cast<unsigned short>(star ? i + 1 : i);
                st.open = nullptr;
                i += star ? 2 : 1;
            } else {
                i++;
            }
            continue;
        }
        if (c == '\'') {
            i = PastQuote(line, i, false);
        } else if (c == opener || (c == '(' && i + 1 < line->length && line->text[i + 1] == '*')) {
            st.open = b.Open(line, i);
            if (!st.open)
                return;
            i += c == opener ? 1 : 2;
        } else {
            i++;
        }
    }
    if (st.open)
        RunsToEnd(st.open, line);
}

// One language's rules, line by line.
struct Scanner {
    Style style;
    const char *marker;    // assembler: the comment character
    char opener, closer;   // Pascal

    explicit Scanner(const Language *language) : style(StyleOf(language)), marker(";"), opener('{'), closer('}') {
        const char *chars = language ? language->commentChars : nullptr;
        if (style == kStyleAssembler && chars)
            marker = chars;
        if (style == kStylePascal && chars && chars[0]) {
            opener = chars[0];
            closer = chars[1] ? chars[1] : '}';
        }
    }

    void ScanLine(Builder &b, ScanState &st, Line *line) const {
        switch (style) {
        case kStyleC: ScanCLine(b, st, line); break;
        case kStyleAssembler: ScanToLineEnd(b, line, marker, false); break;
        case kStyleFortran: ScanFortranLine(b, line); break;
        case kStylePascal: ScanPascalLine(b, st, line, opener, closer); break;
        // Eiffel's strings are in double quotes: a "--" inside one opens no comment.
        case kStyleEiffel: ScanToLineEnd(b, line, "--", true); break;
        case kStyleNone: break;
        }
    }
};

const long kNothingChanged = 0x7FFFFFFF;

// The old spans with the numbers (from 0) of their first and last lines.
struct OldSpans {
    std::vector<CommentSpan *> spans;
    std::vector<long> first, last;
};

// Numbers the old spans by walking the lines; false when the list does not fit the lines.
bool NumberSpans(const Document *doc, OldSpans &old) {
    for (CommentSpan *span = doc->comments; span; span = span->next)
        old.spans.push_back(span);
    size_t n = old.spans.size();
    old.first.assign(n, -1);
    old.last.assign(n, -1);
    size_t f = 0, l = 0;
    long number = 0;
    for (const Line *line = FirstLine(doc); !IsSentinel(doc, line) && l < n; line = line->next, number++) {
        while (f < n && old.spans[f]->firstLine == line)
            old.first[f++] = number;
        while (l < n && l < f && old.spans[l]->lastLine == line)
            old.last[l++] = number;
    }
    if (f < n || l < n)
        return false;
    for (size_t k = 0; k < n; k++)
        if (old.last[k] < old.first[k] || (k > 0 && old.first[k] < old.last[k - 1]))
            return false;
    return true;
}

// Whether the old scan was outside every comment when it came to old span k's first line.
bool StartsOutside(const OldSpans &old, size_t k) {
    return k == 0 || old.last[k - 1] < old.first[k];
}

void Chain(CommentSpan *&head, CommentSpan *&tail, CommentSpan *first, CommentSpan *last) {
    if (!first)
        return;
    if (tail)
        tail->next = first;
    else
        head = first;
    first->prev = tail;
    tail = last;
}

void ReleaseRange(OldSpans &old, size_t from, size_t to) {
    for (size_t k = from; k < to; k++)
        ::Release(old.spans[k]);
}

} // namespace

void FreeCommentSpans(Document *doc) {
    Release(doc->comments);
    doc->comments = nullptr;
    doc->flags &= ~kDocCommentsValid;
}

void InvalidateCommentSpans(Document *doc) {
    doc->flags &= ~kDocCommentsValid;
    doc->commentTop = doc->commentBottom = 0;
}

void NoteCommentChange(Document *doc, long first, long last) {
    if (doc->flags & kDocCommentsValid) {
        doc->commentTop = doc->commentBottom = kNothingChanged;
        doc->flags &= ~kDocCommentsValid;
    }
    long below = doc->lineCount - 1 - last;
    if (first < doc->commentTop)
        doc->commentTop = first < 0 ? 0 : first;
    if (below < doc->commentBottom)
        doc->commentBottom = below < 0 ? 0 : below;
}

bool BuildCommentSpans(Document *doc) {
    long top = doc->commentTop, bottom = doc->commentBottom;
    doc->commentTop = doc->commentBottom = kNothingChanged;
    if (doc->flags & kDocNoFile) {
        FreeCommentSpans(doc);
        return false;
    }
    Scanner scanner(doc->language);
    OldSpans old;
    bool partial = doc->comments && top != kNothingChanged && (top > 0 || bottom > 0) &&
                   scanner.style != kStyleNone && NumberSpans(doc, old);
    size_t n = old.spans.size();
    // Kept above: spans [0, r). Rescanned: from line `from`. Kept below: spans [t, n) when the
    // new scan reaches span t's first line outside every comment.
    size_t r = 0, t = n;
    long from = 0;
    if (partial) {
        long lastChanged = doc->lineCount - 1 - bottom;
        if (lastChanged < top)
            lastChanged = top;
        from = top;
        // A span that ends just above the changes is scanned again too: it may be a comment
        // left open at the end of the text, or a // comment continued into the changed line.
        while (r < n && old.last[r] < top - 1)
            r++;
        if (r < n && old.first[r] < from)
            from = old.first[r];
        while (r > 0 && old.last[r - 1] >= from)
            from = old.first[--r];
        t = r;
        while (t < n && (old.first[t] <= lastChanged || !StartsOutside(old, t)))
            t++;
    } else {
        Release(doc->comments);
        old.spans.clear();
        n = t = 0;
    }
    doc->comments = nullptr;
    doc->flags &= ~kDocCommentsValid;

    Builder b;
    ScanState st;
    long number = from, scanned = 0, limit = doc->lineCount + 100;
    bool gaveUp = false;
    for (Line *line = NthLine(doc, from); !IsSentinel(doc, line) && !b.failed; line = line->next, number++) {
        while (t < n && old.first[t] <= number) {
            if (old.first[t] == number && st.Neutral())
                break;
            // The new scan is inside a comment there: that span is scanned again too.
            do
                t++;
            while (t < n && !StartsOutside(old, t));
        }
        if (t < n && old.first[t] == number)
            break;
        if (++scanned > limit) {
            gaveUp = true;
            break;
        }
        scanner.ScanLine(b, st, line);
    }
    if (t == n || b.failed || gaveUp) {
        ReleaseRange(old, r, n);
        t = n;
    } else {
        ReleaseRange(old, r, t);
    }
    if (b.failed || gaveUp) {
        ReleaseRange(old, 0, r);
        Release(b.first);
        doc->flags |= kDocCommentsValid;   // not again on every paint: only after the next change
        if (b.failed)
            NoMemory();
        else
            InternalError(1050);
        return false;
    }
    CommentSpan *head = nullptr, *tail = nullptr;
    if (r > 0) {
        old.spans[r - 1]->next = nullptr;
        Chain(head, tail, old.spans[0], old.spans[r - 1]);
    }
    Chain(head, tail, b.first, b.last);
    if (t < n)
        Chain(head, tail, old.spans[t], old.spans[n - 1]);
    doc->comments = head;
    doc->flags |= kDocCommentsValid;
    return head != nullptr;
}

const CommentSpan *SpanAtLine(Document *doc, const Line *line) {
    if (!(doc->flags & kDocCommentsValid))
        BuildCommentSpans(doc);
    const CommentSpan *found = nullptr;
    const CommentSpan *span = doc->comments;
    // Walk the lines and the spans together: both are in text order. A span whose start is
    // not met, or that ends before it starts, means the list no longer fits the text: it
    // goes, and the next paint builds it again.
    const CommentSpan *result = nullptr;
    bool seen = false;
    for (const Line *l = FirstLine(doc); !IsSentinel(doc, l); l = l->next) {
        while (span && span->firstLine == l) {
            bool ends = false;
            for (const Line *e = l; !IsSentinel(doc, e) && !ends; e = e->next)
                ends = e == span->lastLine;
            if (!ends) {
                FreeCommentSpans(doc);
                InternalError(1001);
                return nullptr;
            }
            found = span;
            span = span->next;
        }
        if (l == line) {
            result = found;
            seen = true;
        }
    }
    if (span) {
        FreeCommentSpans(doc);
        InternalError(1000);
        return nullptr;
    }
    return seen ? result : found;
}

void CommentCharacterHook(Line *line, int column, int c) {
    View *view = g_editor ? g_editor->view : nullptr;
    if (!view)
        return;
    Document *doc = view->doc;
    // A deletion, a join, a change at the start of a line (a Fortran comment line) or at its
    // end (where a comment that runs to the end grows), a character that can open or close a
    // comment or a string, or one typed next to such a character (between the two of "/*").
    static const char kMarks[] = "\n/*\"'\\{}()-;";
    auto mark = [](int ch) { return ch > 0 && strchr(kMarks, ch) != nullptr; };
    bool matters = c <= 0 || column == 0 || column >= line->length - 1 || mark(c) ||
                   (column > 0 && mark(line->text[column - 1])) ||
                   (column + 1 < line->length && mark(line->text[column + 1]));
    if (!matters)
        return;
    long number = (line == view->current ? CurrentLineNumber() : LineNumberOf(doc, line)) - 1;
    NoteCommentChange(doc, number, number);
}
