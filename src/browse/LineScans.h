// The function scans of the languages that are read line by line: assembler (and any language
// with a start pattern), Fortran and Pascal. Each builds the document's function list (the
// old one released by the caller), stores it, marks it valid and tells whether it found a
// function. The header line of a routine is its start, definition and body line.
#pragma once

struct Document;

// Lines that match the language's start pattern open a function, named by the text before
// the pattern's literal word (after it when none stands before); the end pattern's line ends
// it. Without an end pattern a function
// ends on the line before the next one. Comments (after the language's first comment
// character, outside '...') are cut off first. A function still open at the end is reported
// in the output window. Nothing is found without a start pattern or with a faulty pattern
// (the fault is reported too).
bool ScanPatternFunctions(Document *doc);

// PROGRAM and SUBROUTINE lines open a routine, its END statement closes it. Lines that begin
// with a character other than a blank, a tab or a digit are comments.
bool ScanFortranFunctions(Document *doc);

// After "program" or "implementation", procedure and function headers open a routine (not
// external or forward declarations); the "end" that closes its body closes it.
bool ScanPascalFunctions(Document *doc);
