// The partner of a bracket, a quote, a comment's end or a conditional: what F11 goes to.
#pragma once

struct Document;
struct Line;

struct TextPosition {
    Line *line;
    long number;   // of the line, from 1
    int column;
};

// The partner of what stands at `at`:
// - "(", "[", "{" and a string's opening quote: the matching ")", "]", "}" or closing quote
//   after it; ")", "]" and "}" the opener before them. Strings, character constants, comments
//   and preprocessor lines between them are passed over.
// - a "/" that opens a comment: the comment's last character; the "/" that closes one: the
//   "/" that opened it.
// - on a line beginning with "#if" (also #ifdef, #ifndef) the "#endif" that closes it, nested
//   conditionals passed; on an "#endif" line the "#if" it closes.
// - anything else: the partner of the next "{" or "}" to the right on the line.
// False when there is nothing to match or the document ends first.
bool MatchingPosition(Document *doc, const TextPosition &at, TextPosition *partner);

// F11: the cursor of the current view goes to the partner of what stands under it; it stays
// where it was when there is none.
void GotoMatchingBracket();

void RegisterBracketCommand();
