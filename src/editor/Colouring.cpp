#include "editor/Colouring.h"

#include <string.h>

#include <vector>

#include "editor/CommentSpans.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/Language.h"

bool g_colouring = true;

namespace {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct Runs {
    ColourRun *runs;
    int max;
    int count;
    int base;   // index of the stretch in the line

    void Add(int start, int length, ColourKind kind) {
        if (length <= 0)
            return;
        start += base;
        if (count > 0 && runs[count - 1].kind == kind && runs[count - 1].start + runs[count - 1].length == start) {
            runs[count - 1].length += length;
            return;
        }
        if (count == max) {
            // No room: the last run takes the rest in its own colour.
            runs[count - 1].length = start + length - runs[count - 1].start;
            return;
        }
        runs[count++] = ColourRun{start, length, kind};
    }
};

bool Keyword(const Language *language, const char *word, int length) {
    if (length < 2 || length > 14)
        return false;
    if (!(language->flags & kLanguageCaseInsensitive))
        return IsLanguageKeyword(language, word, length);
    char lower[16];
    for (int i = 0; i < length; i++)
        lower[i] = word[i] >= 'A' && word[i] <= 'Z' ? static_cast<char>(word[i] - 'A' + 'a') : word[i];
    return IsLanguageKeyword(language, lower, length);
}

// Words and quoted pieces from `i` to the end.
void Words(const Language *language, const char *text, int i, int length, Runs &out) {
    while (i < length) {
        char c = text[i];
        if (c == '"' || c == '\'') {
            int j = i + 1;
            while (j < length && text[j] != c)
                j += text[j] == '\\' && j + 1 < length ? 2 : 1;
            j = j < length ? j + 1 : length;
            out.Add(i, j - i, kColourText);
            i = j;
            continue;
        }
        // A word starts where no identifier goes on: "my_int" holds no keyword.
        bool starts = language->keywordChars[static_cast<unsigned char>(c)] && (i == 0 || !IsIdentifierChar(text[i - 1]));
        if (!starts) {
            out.Add(i, 1, kColourText);
            i++;
            continue;
        }
        int j = i;
        while (j < length && j - i < kMaxWord && language->keywordChars[static_cast<unsigned char>(text[j])])
            j++;
        bool ends = j == length || !IsIdentifierChar(text[j]);
        out.Add(i, j - i, ends && Keyword(language, text + i, j - i) ? kColourKeyword : kColourText);
        i = j;
    }
}

} // namespace

int ColourStretch(const Language *language, bool colouring, const char *text, int length, ColourRun *runs,
                  int max) {
    Runs out = {runs, max, 0, 0};
    if (max <= 0 || length <= 0)
        return 0;
    if (!language || !language->hasKeywordTable || !colouring) {
        out.Add(0, length, kColourText);
        return out.count;
    }
    int i = 0;
    if (language->name[0] == 'F' && language->name[1] == 'o') {
        // Fortran: after exactly five blanks, the sixth character marks a continuation.
        while (i < length && text[i] == ' ')
            i++;
        out.Add(0, i, kColourText);
        if (i == 5 && i < length) {
            out.Add(i, 1, kColourContinuation);
            i++;
        }
        Words(language, text, i, length, out);
        return out.count;
    }
    int first = 0;
    while (first < length && IsBlank(text[first]))
        first++;
    if (first < length && text[first] == '#') {
        int word = first + 1;
        while (word < length && IsBlank(text[word]))
            word++;
        int end = word;
        while (end < length && end - word < kMaxWord && !IsBlank(text[end]))
            end++;
        if (end > word && IsDirective(text + word, end - word)) {
            out.Add(0, first, kColourText);
            out.Add(first, end - first, kColourKeyword);
            out.Add(end, length - end, kColourText);
        } else {
            out.Add(0, length, kColourText);
        }
        return out.count;
    }
    Words(language, text, 0, length, out);
    return out.count;
}

int ColourLineWith(const Document *doc, const Line *line, const CommentSpan *const *spans, int spanCount,
                   bool colouring, bool debugging, ColourRun *runs, int max) {
    if (max <= 0 || line->length <= 0)
        return 0;
    if ((line->flags & kLineBreakpoint) && !debugging) {
        runs[0] = ColourRun{0, line->length, kColourBreakpoint};
        return 1;
    }
    const Language *language = doc->language;
    int count = 0;
    int at = 0;   // the text before `at` is coloured
    for (int s = 0; colouring && s < spanCount && count < max; s++) {
        const CommentSpan *span = spans[s];
        int from = span->firstLine == line ? span->firstColumn : 0;
        int to = span->lastLine == line ? span->lastColumn + 1 : line->length;
        if (from < at)
            from = at;
        if (to > line->length)
            to = line->length;
        if (from >= to)
            continue;
        if (from > at) {
            int n = ColourStretch(language, true, line->text + at, from - at, runs + count, max - count);
            for (int k = count; k < count + n; k++)
                runs[k].start += at;
            count += n;
        }
        if (count < max)
            runs[count++] = ColourRun{from, to - from, kColourComment};
        at = to;
    }
    if (at < line->length && count < max) {
        int n = ColourStretch(language, colouring, line->text + at, line->length - at, runs + count, max - count);
        for (int k = count; k < count + n; k++)
            runs[k].start += at;
        count += n;
    }
    return count;
}

int ColourLine(const Document *doc, const Line *line, bool colouring, bool debugging, ColourRun *runs, int max) {
    // The spans that touch the line, found by walking the whole list.
    std::vector<const CommentSpan *> touching;
    for (const CommentSpan *span = colouring ? doc->comments : nullptr; span; span = span->next) {
        bool covers = span->firstLine == line || span->lastLine == line;
        // A comment over several lines covers the lines between its ends.
        for (const Line *l = span->firstLine; !covers && span->firstLine != span->lastLine && !IsSentinel(doc, l) &&
                                               l != span->lastLine;
             l = l->next)
            covers = l == line;
        if (covers)
            touching.push_back(span);
    }
    return ColourLineWith(doc, line, touching.data(), static_cast<int>(touching.size()), colouring, debugging, runs,
                          max);
}
