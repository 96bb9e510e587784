// What the editor asks of the source scanner.
#pragma once

struct Document;

// Syntax checks run before saving; on failure the reason is left in the scratch buffer.
bool CheckCSyntax(Document *doc);
bool CheckEiffelSyntax(Document *doc);
// Number (from 1) of the first line of the current document that holds the version-stamp
// declaration, 0 when there is none. `out` (may be null, 256 bytes) receives the date field.
int FindStampLine(char *out);
// Number of functions in the document's function list.
int FunctionCount(Document *doc);
