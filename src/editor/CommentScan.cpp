#include "editor/CommentScan.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <functional>
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
    std::vector<CommentSpan *> made;   // in text order
    long number = 0;                   // of the line being scanned
    bool failed = false;

    CommentSpan *Open(Line *line, int column) {
        CommentSpan *span = static_cast<CommentSpan *>(Allocate(sizeof(CommentSpan)));
        if (!span) {
            failed = true;
            return nullptr;
        }
        span->next = span->prev = nullptr;
        span->firstLine = span->lastLine = line;
        span->firstColumn = span->lastColumn = static_cast<unsigned short>(column);
        span->lineComment = 0;
        made.push_back(span);
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
            span->lineComment = 1;
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

long g_scannedFrom, g_scannedEnd;

} // namespace

// Whether a span that ends on the line above a change may run on into it: a comment left open
// at the end of the text, or a // comment whose line ends with a backslash. A C block comment
// closed by its "*/" cannot.
static bool MayRunOn(const Scanner &scanner, const CommentSpan *span) {
    if (scanner.style != kStyleC)
        return true;
    const Line *line = span->lastLine;
    if (span->lineComment)
        return line->length > 0 && line->text[line->length - 1] == '\\';
    int c = span->lastColumn;
    bool closed = c >= 1 && c < line->length && line->text[c] == '/' && line->text[c - 1] == '*' &&
                  (span->firstLine != line || c - 1 >= span->firstColumn + 2);
    return !closed;
}

void LastScannedLines(long *first, long *end) {
    *first = g_scannedFrom;
    *end = g_scannedEnd;
}

// The spans in list order with the numbers (from 0) of their first and last lines. Built with
// the list and kept by the editing operations, so that neither the display nor a rebuild
// after a keystroke has to count lines from the top.
struct CommentIndex {
    std::vector<CommentSpan *> spans;
    std::vector<long> first, last;
};

namespace {

// The index, when it still speaks for the document's list.
CommentIndex *IndexOf(const Document *doc) {
    CommentIndex *index = doc->commentIndex;
    if (!index)
        return nullptr;
    if (index->spans.empty() ? doc->comments != nullptr : index->spans[0] != doc->comments)
        return nullptr;
    return index;
}

void DropIndex(Document *doc) {
    delete doc->commentIndex;
    doc->commentIndex = nullptr;
}

// The first span whose last line is at or after line `number`.
size_t FirstEndingFrom(const CommentIndex *index, long number) {
    return static_cast<size_t>(std::lower_bound(index->last.begin(), index->last.end(), number) - index->last.begin());
}

// Line `number` (from 0) of the document, walked to from the nearest line whose number is
// known: the first or last line, the cursor's line or a comment's first or last line.
Line *LineAt(Document *doc, long number) {
    if (number <= 0)
        return FirstLine(doc);
    Line *best = FirstLine(doc);
    long bestNumber = 0;
    auto consider = [&](Line *line, long at) {
        if (line && !IsSentinel(doc, line) && at >= 0 && at < doc->lineCount &&
            labs(at - number) < labs(bestNumber - number)) {
            best = line;
            bestNumber = at;
        }
    };
    consider(doc->sentinel->prev, doc->lineCount - 1);
    View *view = g_editor ? g_editor->view : nullptr;
    if (view && view->doc == doc && !IsSentinel(doc, view->current))
        consider(view->current, CurrentLineNumber() - 1);
    if (const CommentIndex *index = IndexOf(doc)) {
        size_t k = FirstEndingFrom(index, number);
        if (k < index->spans.size()) {
            consider(index->spans[k]->firstLine, index->first[k]);
            consider(index->spans[k]->lastLine, index->last[k]);
        }
        if (k > 0)
            consider(index->spans[k - 1]->lastLine, index->last[k - 1]);
    }
    while (bestNumber < number && !IsSentinel(doc, best))
        best = best->next, bestNumber++;
    while (bestNumber > number && !IsSentinel(doc, best->prev))
        best = best->prev, bestNumber--;
    return best;
}

} // namespace

void FreeCommentSpans(Document *doc) {
    Release(doc->comments);
    doc->comments = nullptr;
    doc->flags &= ~kDocCommentsValid;
    doc->braceTop = 0;
    DropIndex(doc);
}

void InvalidateCommentSpans(Document *doc) {
    doc->flags &= ~kDocCommentsValid;
    doc->commentTop = doc->commentBottom = 0;
    doc->braceTop = 0;
    DropIndex(doc);
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
    if (first < doc->braceTop)
        doc->braceTop = first < 0 ? 0 : first;
}

bool BuildCommentSpans(Document *doc) {
    long top = doc->commentTop, bottom = doc->commentBottom;
    doc->commentTop = doc->commentBottom = kNothingChanged;
    g_scannedFrom = 0;
    g_scannedEnd = kNothingChanged;
    if (doc->flags & kDocNoFile) {
        FreeCommentSpans(doc);
        return false;
    }
    Scanner scanner(doc->language);
    CommentIndex *index = IndexOf(doc);
    bool partial = index && top != kNothingChanged && (top > 0 || bottom > 0) && scanner.style != kStyleNone;
    if (partial && !index->spans.empty() &&
        (index->first[0] < 0 || index->last.back() >= doc->lineCount))
        partial = false;
    if (!partial) {
        Release(doc->comments);
        doc->comments = nullptr;
        DropIndex(doc);
        index = new CommentIndex;
        doc->commentIndex = index;
    }
    std::vector<CommentSpan *> &spans = index->spans;
    std::vector<long> &first = index->first, &last = index->last;
    size_t n = spans.size();
    // Kept above: spans [0, r), of which a span over the first changed line goes on in the
    // new scan (`cont`). Rescanned: from line `from`. Kept below: from span `keep` on.
    size_t r = 0;
    long from = 0, lastChanged = kNothingChanged;
    CommentSpan *cont = nullptr;
    long contLast = 0;
    Line *contLastLine = nullptr;
    unsigned short contLastColumn = 0;
    if (partial) {
        lastChanged = doc->lineCount - 1 - bottom;
        if (lastChanged < top)
            lastChanged = top;
        from = top;
        r = FirstEndingFrom(index, top - 1);
        while (r < n && last[r] == top - 1 && !MayRunOn(scanner, spans[r]))
            r++;
        if (r < n && first[r] < top && last[r] == top - 1) {
            // A span that ends just above the changes is scanned again: it may be a comment
            // left open at the end of the text, or a // comment continued into the change.
            from = first[r];
        } else if (r < n && first[r] < top) {
            // Inside a comment at the first changed line: the scan goes on with it there.
            cont = spans[r];
            contLast = last[r];
            contLastLine = cont->lastLine;
            contLastColumn = cont->lastColumn;
            r++;
        }
        // A span that ends on the line where the scan starts is scanned again as well.
        while (!cont && r > 0 && last[r - 1] >= from)
            from = first[--r];
    }
    doc->flags &= ~kDocCommentsValid;

    Builder b;
    std::vector<long> madeFirst, madeLast;
    ScanState st;
    if (cont) {
        st.open = cont;
        st.lineComment = cont->lineComment != 0;
    }
    long number = from, scanned = 0, limit = doc->lineCount + 100;
    long contNewLast = contLast;
    bool gaveUp = false, inconsistent = false;
    size_t keep = n;      // the first old span kept below; [r, keep) were scanned again
    size_t check = r;     // the next old span whose first line is checked against the text
    size_t old = r;       // the first old span that ends on or after the line being scanned
    for (Line *line = LineAt(doc, from); !IsSentinel(doc, line) && !b.failed; line = line->next, number++) {
        while (old < n && last[old] < number)
            old++;
        if (number > lastChanged) {
            // The old scan's state at this line's start: inside span `covering`, or outside.
            CommentSpan *covering = nullptr;
            long coveringLast = 0;
            if (cont && contLast >= number) {
                covering = cont;
                coveringLast = contLast;
            } else if (old < n && first[old] < number) {
                covering = spans[old];
                coveringLast = last[old];
            }
            if (!st.open && !covering) {
                keep = old;
                break;
            }
            if (st.open && covering && (covering->lineComment != 0) == st.lineComment) {
                // Both inside the same kind of comment: the open one ends where the old one did.
                CommentSpan *open = st.open;
                open->lastLine = covering == cont ? contLastLine : covering->lastLine;
                open->lastColumn = covering == cont ? contLastColumn : covering->lastColumn;
                if (open == cont)
                    contNewLast = coveringLast;
                else
                    madeLast.back() = coveringLast;
                keep = covering == cont ? old : old + 1;
                break;
            }
        }
        for (; check < n && first[check] <= number; check++)
            if (first[check] == number && spans[check]->firstLine != line)
                inconsistent = true;
        if (inconsistent)
            break;
        if (++scanned > limit) {
            gaveUp = true;
            break;
        }
        CommentSpan *wasOpen = st.open;
        size_t before = b.made.size();
        b.number = number;
        scanner.ScanLine(b, st, line);
        madeFirst.resize(b.made.size(), number);
        madeLast.resize(b.made.size(), number);
        if (wasOpen && wasOpen->lastLine == line) {
            if (wasOpen == cont)
                contNewLast = number;
            else
                madeLast[before - 1] = number;
        }
    }
    g_scannedFrom = from;
    g_scannedEnd = number;   // from there on the old scan holds
    if (b.failed || gaveUp || inconsistent) {
        g_scannedEnd = kNothingChanged;
        for (CommentSpan *span : b.made)
            ::Release(span);
        for (CommentSpan *span : spans)
            ::Release(span);
        doc->comments = nullptr;
        DropIndex(doc);
        if (inconsistent) {
            doc->commentTop = doc->commentBottom = 0;
            return BuildCommentSpans(doc);
        }
        doc->flags |= kDocCommentsValid;   // not again on every paint: only after the next change
        if (b.failed)
            NoMemory();
        else
            InternalError(1050);
        return false;
    }
    for (size_t k = r; k < keep; k++)
        ::Release(spans[k]);
    if (cont)
        last[r - 1] = contNewLast;
    auto at = [r](auto &v) { return v.begin() + static_cast<long>(r); };
    spans.erase(at(spans), spans.begin() + static_cast<long>(keep));
    first.erase(at(first), first.begin() + static_cast<long>(keep));
    last.erase(at(last), last.begin() + static_cast<long>(keep));
    spans.insert(at(spans), b.made.begin(), b.made.end());
    first.insert(at(first), madeFirst.begin(), madeFirst.end());
    last.insert(at(last), madeLast.begin(), madeLast.end());
    // The list is linked again around the new spans.
    size_t end = r + b.made.size();
    for (size_t k = r > 0 ? r - 1 : 0; k < spans.size() && k <= end; k++) {
        spans[k]->prev = k > 0 ? spans[k - 1] : nullptr;
        spans[k]->next = k + 1 < spans.size() ? spans[k + 1] : nullptr;
    }
    doc->comments = spans.empty() ? nullptr : spans[0];
    doc->flags |= kDocCommentsValid;
    return doc->comments != nullptr;
}

void ForCommentSpansOn(Document *doc, long number, const std::function<void(CommentSpan *)> &visit) {
    const CommentIndex *index = number >= 0 ? IndexOf(doc) : nullptr;
    if (!index) {
        for (CommentSpan *span = doc->comments; span; span = span->next)
            visit(span);
        return;
    }
    for (size_t k = FirstEndingFrom(index, number); k < index->spans.size() && index->first[k] <= number; k++)
        visit(index->spans[k]);
}

void CommentLinesShifted(Document *doc, long after, long delta) {
    CommentIndex *index = IndexOf(doc);
    if (!index) {
        DropIndex(doc);
        return;
    }
    for (size_t k = FirstEndingFrom(index, after + 1); k < index->spans.size(); k++) {
        if (index->first[k] > after)
            index->first[k] += delta;
        index->last[k] += delta;
    }
}

void CommentLineSplit(Document *doc, long number, const Line *lower) {
    CommentIndex *index = IndexOf(doc);
    if (!index) {
        DropIndex(doc);
        return;
    }
    for (size_t k = FirstEndingFrom(index, number); k < index->spans.size(); k++) {
        if (index->first[k] > number || (index->first[k] == number && index->spans[k]->firstLine == lower))
            index->first[k]++;
        if (index->last[k] > number || (index->last[k] == number && index->spans[k]->lastLine == lower))
            index->last[k]++;
    }
}

bool CommentSpansBetween(Document *doc, long from, long to, std::vector<SpanOnRows> &out) {
    const CommentIndex *index = IndexOf(doc);
    if (!index)
        return false;
    for (size_t k = FirstEndingFrom(index, from); k < index->spans.size() && index->first[k] <= to; k++)
        out.push_back(SpanOnRows{index->spans[k], index->first[k], index->last[k]});
    return true;
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
