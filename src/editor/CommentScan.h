// Finding the comments of a document for the display: the list of comment spans.
//
// The list is built once and then rebuilt only between the lines that changed: the editing
// operations report each change that may open or close a comment, and the next paint rescans
// from the span that holds the first changed line up to the first span after the last
// changed line that the new scan reaches outside any comment.
#pragma once

#include <functional>
#include <vector>

struct CommentSpan;
struct Document;
struct Line;

// Builds the document's comment spans (C, assembler, Fortran, Pascal and Eiffel rules), only
// between the changed lines when the list was valid before, and marks the list valid; false
// when there is no comment. Nothing is built for a document without a language or a file.
bool BuildCommentSpans(Document *doc);
void FreeCommentSpans(Document *doc);
// The list must be built again from the first line.
void InvalidateCommentSpans(Document *doc);
// Lines first..last (from 0, as they are now) changed in a way that may move comments.
void NoteCommentChange(Document *doc, long first, long last);
// The span that holds `line` or the nearest one before it, or null; builds the list first when
// it is not valid.
const CommentSpan *SpanAtLine(Document *doc, const Line *line);
// The language hook that reports a change that may open or close a comment.
void CommentCharacterHook(Line *line, int column, int c);

// Calls `visit` for every span that touches line `number` (from 0); for every span when the
// number is not known (below 0) or the spans are not indexed.
void ForCommentSpansOn(Document *doc, long number, const std::function<void(CommentSpan *)> &visit);
// The lines after line `after` moved by `delta` (a line was taken out: -1); spans that
// followed a line taken out onto the line above it are counted on that line.
void CommentLinesShifted(Document *doc, long after, long delta);
// Line `number` was split: its start stays there, the rest (`lower`) is the next line now.
void CommentLineSplit(Document *doc, long number, const Line *lower);
// The spans that touch lines from..to (from 0), in text order, with their line numbers;
// false when the spans are not indexed (the display then asks line by line).
struct SpanOnRows {
    const CommentSpan *span;
    long first, last;
};
bool CommentSpansBetween(Document *doc, long from, long to, std::vector<SpanOnRows> &out);
// The lines (from 0) the last build scanned: from `*first` up to before `*end`. Outside them
// every line kept its comments.
void LastScannedLines(long *first, long *end);
