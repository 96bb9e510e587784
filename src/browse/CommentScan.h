// Finding the comments of a document for the display: the list of comment spans.
#pragma once

struct CommentSpan;
struct Document;
struct Line;

// Builds the document's comment spans anew (C, assembler, Fortran, Pascal and Eiffel rules)
// and marks the list valid; false when there is no comment. Nothing is built for a document
// without a language or without a file.
bool BuildCommentSpans(Document *doc);
void FreeCommentSpans(Document *doc);
// The span that holds `line` or the nearest one before it, or null; builds the list first when
// it is not valid.
const CommentSpan *SpanAtLine(Document *doc, const Line *line);
// The language hook that invalidates the spans when a change may open or close a comment.
void CommentCharacterHook(Line *line, int column, int c);
