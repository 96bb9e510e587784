// Times the difference engine on two files: diffbench <first> <second>. Prints the time of the
// comparison and of the edit script, and the number of changed lines.
#include <windows.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "cms/Diff.h"

namespace {

std::vector<std::string> ReadLines(const char *path) {
    std::vector<std::string> lines;
    FILE *f = fopen(path, "rb");
    if (!f)
        return lines;
    std::string line;
    int c;
    while ((c = fgetc(f)) != EOF) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    fclose(f);
    return lines;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: diffbench first second\n");
        return 2;
    }
    std::vector<std::string> a = ReadLines(argv[1]), b = ReadLines(argv[2]);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::vector<DiffChange> changes;
    int result = DiffLines(a, b, 0, &changes);
    std::string script = EditScript(changes, b);
    QueryPerformanceCounter(&end);
    long changed = 0;
    for (const DiffChange &change : changes)
        changed += change.deleted + change.inserted;
    printf("%.3f s, %ld changed lines, %zu script bytes, result %d\n",
           static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart, changed, script.size(), result);
    return 0;
}
