// Searches a 50 MB document of C-like text for a literal, a class with a star and an
// alternation, counting every match from the top to the end through the editor's search step,
// as repeated F3 presses would. Writes the document to the file named on the command line
// first, so that scripts/search-bench.sh can time grep -c on the same text.
#include <windows.h>
#include <stdio.h>
#include <string>

#include "base/AppState.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/Search.h"
#include "editor/SearchOptions.h"

namespace {

const long kBytes = 50L * 1024 * 1024;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

bool WriteText(const char *path) {
    static const char *const kLines[] = {
        "static int list_length(struct list *numbers)",
        "{",
        "    int count = 0;",
        "    for (struct node *n = numbers->first; n; n = n->next)",
        "        count++;",
        "    return count;",
        "}",
        "    printf(\"%d arguments\\n\", list_length(numbers));",
        "    list_append(numbers, argv[i]);",
        "/* A comment that says nothing in particular about the code above it. */",
        "",
    };
    FILE *file = fopen(path, "wb");
    if (!file)
        return false;
    long written = 0;
    unsigned seed = 7;
    while (written < kBytes) {
        seed = seed * 1103515245u + 12345u;
        const char *line = kLines[(seed >> 16) % (sizeof kLines / sizeof kLines[0])];
        written += fprintf(file, "%s\r\n", line);
    }
    return fclose(file) == 0;
}

void Count(const char *pattern, unsigned short kind) {
    SearchRequest request = {pattern, nullptr, static_cast<unsigned short>(kFindCurrentWindow | kind | kFindForwards), 0, 0};
    if (!AcceptSearchRequest(request))
        return;
    // Each run from the top, as after Ctrl+Home; the best of five.
    long matches = 0;
    double best = 0;
    for (int run = 0; run < 5; run++) {
        GotoTop();
        KeepCursorVisible(g_editor->view);
        matches = 0;
        LARGE_INTEGER from, to;
        QueryPerformanceCounter(&from);
        while (FindInDocument())
            matches++;
        QueryPerformanceCounter(&to);
        if (run == 0 || Seconds(from, to) < best)
            best = Seconds(from, to);
    }
    printf("%-24s %9ld matches %8.3f s\n", pattern, matches, best);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: searchbench FILE\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    NewAppState();
    NewEditorState();
    if (!WriteText(argv[1])) {
        fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (!OpenDocument(argv[1]) || !g_editor->view) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    printf("%ld lines\n", g_editor->doc->lineCount);
    g_editor->view->visibleRows = 40;   // a window's worth: each match is scrolled into it
    Count("list_append", kFindExact);
    Count("list_append", kFindRegex);
    Count("l[a-z_]*h\\(", kFindRegex);
    Count("printf|return|struct", kFindRegex);
    return 0;
}
