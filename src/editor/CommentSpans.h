// The comment spans of a document: where its comments start and end. The scanner builds the
// list; the editing operations keep the boundaries on the right lines and columns as text
// changes, and the display paints from it.
#pragma once

struct Line;

struct CommentSpan {
    CommentSpan *next;
    CommentSpan *prev;
    Line *firstLine;
    Line *lastLine;
    unsigned short firstColumn;   // the comment's first character
    unsigned short lastColumn;    // its last character
    unsigned char lineComment;    // C: a // comment, which a backslash continues
};
