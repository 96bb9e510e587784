// The source scanner on one C file:
//   scanbench <file>
// prints the time to read the file into a document, the best of five function scans with the
// number of functions found, the function at every 100th line, and F11 on the last closing
// brace (a backward match reads the document from its first line).
#include <windows.h>
#include <stdio.h>

#include "base/AppState.h"
#include "base/Messages.h"
#include "browse/Brackets.h"
#include "browse/Functions.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/Language.h"

namespace {

double Seconds(const LARGE_INTEGER &from, const LARGE_INTEGER &to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: scanbench FILE\n");
        return 2;
    }
    NewAppState();
    NewEditorState();
    AddBuiltinLanguages();
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    if (!OpenDocument(argv[1]) || !g_editor->doc) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    QueryPerformanceCounter(&t1);
    Document *doc = g_editor->doc;
    printf("read:          %8.3f s  %ld lines\n", Seconds(t0, t1), doc->lineCount);

    double best = 1e9;
    int functions = 0;
    for (int run = 0; run < 5; run++) {
        ReleaseFunctions(doc);
        QueryPerformanceCounter(&t0);
        EnsureFunctions(doc);
        QueryPerformanceCounter(&t1);
        if (Seconds(t0, t1) < best)
            best = Seconds(t0, t1);
        functions = CountFunctions(doc);
    }
    printf("function scan: %8.3f s  %d functions (best of 5)\n", best, functions);

    int inside = 0, asked = 0;
    QueryPerformanceCounter(&t0);
    long number = 1;
    for (Line *line = FirstLine(doc); !IsSentinel(doc, line); line = line->next, number++)
        if (number % 100 == 0) {
            asked++;
            inside += FunctionAtLine(doc, line, number) != nullptr;
        }
    QueryPerformanceCounter(&t1);
    printf("function at:   %8.3f s  %d lines asked, %d inside a function\n", Seconds(t0, t1), asked, inside);

    const FunctionEntry *last = FunctionList(doc);
    while (last && last->next)
        last = last->next;
    if (last && last->endLinePointer) {
        Line *line = last->endLinePointer;
        int column = 0;
        while (column < line->length && line->text[column] != '}')
            column++;
        TextPosition partner;
        QueryPerformanceCounter(&t0);
        bool found = MatchingPosition(doc, {line, last->endLine, column}, &partner);
        QueryPerformanceCounter(&t1);
        printf("F11 backwards: %8.3f s  line %ld to line %ld\n", Seconds(t0, t1), last->endLine,
               found ? partner.number : 0L);
    }
    return 0;
}
