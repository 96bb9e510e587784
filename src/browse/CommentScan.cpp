#include "browse/CommentScan.h"

#include <string.h>

#include "core/Boxes.h"
#include "core/Memory.h"
#include "core/Messages.h"
#include "editor/CommentSpans.h"
#include "editor/Document.h"
#include "editor/Language.h"

namespace {

enum Style { kStyleNone, kStyleC, kStyleAssembler, kStyleFortran, kStylePascal, kStyleEiffel };

Style StyleOf(const Language *language) {
    if (!language)
        return kStyleNone;
    const char *name = language->name;
    if (strcmp(name, GetString(1197)) == 0)
        return kStyleC;
    if (strcmp(name, GetString(1198)) == 0)
        return kStyleAssembler;
    if (strcmp(name, GetString(4448)) == 0)
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

// C: /* */ across lines, // to the end of the line and on while lines end with a backslash.
void ScanC(Document *doc, Builder &b) {
    CommentSpan *open = nullptr;   // a block comment not closed yet
    bool lineComment = false;      // a // comment continued by a backslash
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line) && !b.failed; line = line->next) {
        int i = 0;
        if (lineComment) {
            open->lastLine = line;
            open->lastColumn = static_cast<unsigned short>(line->length > 0 ? line->length - 1 : 0);
            lineComment = line->length > 0 && line->text[line->length - 1] == '\\';
            if (!lineComment)
                open = nullptr;
            continue;
        }
        if (!open)
            i = FirstNonBlank(line);
        while (i < line->length) {
            char c = line->text[i];
            if (open) {
                if (c == '*' && i + 1 < line->length && line->text[i + 1] == '/') {
                    open->lastLine = line;
                    open->lastColumn = static_cast<unsigned short>(i + 1);
                    open = nullptr;
                    i += 2;
                } else {
                    i++;
                }
                continue;
            }
            if (c == '"' || c == '\'') {
                i = PastQuote(line, i, true);
            } else if (c == '/' && i + 1 < line->length && line->text[i + 1] == '*') {
                open = b.Open(line, i);
                if (!open)
                    return;
                i += 2;
            } else if (c == '/' && i + 1 < line->length && line->text[i + 1] == '/') {
                CommentSpan *span = b.Open(line, i);
                if (!span)
                    return;
                span->lastColumn = static_cast<unsigned short>(line->length - 1);
                if (line->text[line->length - 1] == '\\') {
                    open = span;
                    lineComment = true;
                }
                break;
            } else {
                i++;
            }
        }
        if (open && !lineComment) {
            // Still open: it runs on; its end follows when it closes.
            open->lastLine = line;
            open->lastColumn = static_cast<unsigned short>(line->length > 0 ? line->length - 1 : 0);
        }
    }
}

// A comment from `marker` to the end of the line, outside '...' (and, for Eiffel, "...")
// strings.
void ScanToLineEnd(Document *doc, Builder &b, const char *marker, bool doubleQuotes) {
    size_t n = strlen(marker);
    if (n == 0)
        return;
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line) && !b.failed; line = line->next) {
        for (int i = FirstNonBlank(line); i < line->length;) {
            if (line->text[i] == '\'' || (doubleQuotes && line->text[i] == '"')) {
                i = PastQuote(line, i, false);
            } else if (i + static_cast<int>(n) <= line->length && memcmp(line->text + i, marker, n) == 0) {
                if (CommentSpan *span = b.Open(line, i))
                    span->lastColumn = static_cast<unsigned short>(line->length - 1);
                break;
            } else {
                i++;
            }
        }
    }
}

// Fortran: a line that does not begin with a blank, a tab or a digit is a comment.
void ScanFortran(Document *doc, Builder &b) {
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line) && !b.failed; line = line->next) {
        if (line->length == 0)
            continue;
        char c = line->text[0];
        if (c == ' ' || c == '\t' || (c >= '0' && c <= '9'))
            continue;
        if (CommentSpan *span = b.Open(line, 0))
            span->lastColumn = static_cast<unsigned short>(line->length - 1);
    }
}

// Pascal: { or (* opens, } or *) closes, across lines, outside '...' strings.
void ScanPascal(Document *doc, Builder &b, const char *chars) {
    char opener = chars && chars[0] ? chars[0] : '{';
    char closer = chars && chars[0] && chars[1] ? chars[1] : '}';
    CommentSpan *open = nullptr;
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line) && !b.failed; line = line->next) {
        int i = open ? 0 : FirstNonBlank(line);
        while (i < line->length) {
            char c = line->text[i];
            bool star = c == '*' && i + 1 < line->length && line->text[i + 1] == ')';
            if (open) {
                if (c == closer || star) {
                    open->lastLine = line;
                    open->lastColumn = static_cast<unsigned short>(star ? i + 1 : i);
                    open = nullptr;
                    i += star ? 2 : 1;
                } else {
                    i++;
                }
                continue;
            }
            if (c == '\'') {
                i = PastQuote(line, i, false);
            } else if (c == opener || (c == '(' && i + 1 < line->length && line->text[i + 1] == '*')) {
                open = b.Open(line, i);
                if (!open)
                    return;
                i += c == opener ? 1 : 2;
            } else {
                i++;
            }
        }
        if (open) {
            open->lastLine = line;
            open->lastColumn = static_cast<unsigned short>(line->length > 0 ? line->length - 1 : 0);
        }
    }
}

} // namespace

void FreeCommentSpans(Document *doc) {
    Release(doc->comments);
    doc->comments = nullptr;
    doc->flags &= ~kDocCommentsValid;
}

bool BuildCommentSpans(Document *doc) {
    FreeCommentSpans(doc);
    if (doc->flags & kDocNoFile)
        return false;
    const Language *language = doc->language;
    Builder b;
    switch (StyleOf(language)) {
    case kStyleC: ScanC(doc, b); break;
    case kStyleAssembler: ScanToLineEnd(doc, b, language->commentChars ? language->commentChars : ";", false); break;
    case kStyleFortran: ScanFortran(doc, b); break;
    case kStylePascal: ScanPascal(doc, b, language->commentChars); break;
    // Eiffel's strings are in double quotes: a "--" inside one opens no comment.
    case kStyleEiffel: ScanToLineEnd(doc, b, "--", true); break;
    case kStyleNone: break;
    }
    if (b.failed) {
        Release(b.first);
        NoMemory();
        return false;
    }
    doc->comments = b.first;
    doc->flags |= kDocCommentsValid;
    return doc->comments != nullptr;
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

void CommentCharacterHook(Line *, int column, int c) {
    Document *doc = g_editor ? g_editor->doc : nullptr;
    if (!doc)
        return;
    // A deletion, a join, a change at the start of a line (a Fortran comment line) or a
    // character that can open or close a comment or a string.
    if (c <= 0 || column == 0 || strchr("\n/*\"'\\{}()-;", c))
        doc->flags &= ~kDocCommentsValid;
}
