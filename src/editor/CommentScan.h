// Finding the comments of a document for the display: the list of comment spans.
//
// The list is built once and then rebuilt only between the lines that changed: the editing
// operations report each change that may open or close a comment, and the next paint rescans
// from the span that holds the first changed line up to the first span after the last
// changed line that the new scan reaches outside any comment.
#pragma once

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
