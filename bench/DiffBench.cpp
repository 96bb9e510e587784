// The difference engine on files.
//   diffbench <first> <second>            times one comparison and its edit script
//   diffbench --pairs <list> [-w] [-i]    for each line "<first> <second>" of the list: the
//       script applied to the first file must give the second (under -w, ignoring white space,
//       and -i, ignoring case, compared as the options see the lines); prints each pair's
//       changed lines, or "MISMATCH", and exits 1 when any pair failed.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "cms/Diff.h"
#include "cms/DiffFiles.h"

namespace {

std::vector<std::string> ReadLines(const char *path) {
    std::vector<std::string> lines;
    ReadDiffLines(path, &lines);
    return lines;
}

int Pairs(const char *list, unsigned options) {
    FILE *f = fopen(list, "r");
    if (!f)
        return 2;
    char first[1024], second[1024];
    int failed = 0;
    while (fscanf(f, "%1023s %1023s", first, second) == 2) {
        std::vector<std::string> a = ReadLines(first), b = ReadLines(second), out = a;
        std::vector<DiffChange> changes;
        DiffLines(a, b, options, &changes);
        std::string error;
        bool ok = ApplyEditScript(EditScript(changes, b), &out, &error) && out.size() == b.size();
        for (size_t i = 0; ok && i < b.size(); i++)
            ok = DiffLineKey(out[i], options) == DiffLineKey(b[i], options);
        long changed = 0;
        for (const DiffChange &change : changes)
            changed += change.deleted + change.inserted;
        if (ok)
            printf("%ld\n", changed);
        else
            printf("MISMATCH %s %s\n", first, second);
        failed += !ok;
    }
    fclose(f);
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc >= 3 && strcmp(argv[1], "--pairs") == 0) {
        unsigned options = 0;
        for (int i = 3; i < argc; i++)
            options |= strcmp(argv[i], "-w") == 0   ? unsigned(kDiffIgnoreSpace)
                       : strcmp(argv[i], "-i") == 0 ? unsigned(kDiffIgnoreCase)
                                                    : 0u;
        return Pairs(argv[2], options);
    }
    if (argc != 3) {
        fprintf(stderr, "usage: diffbench first second | diffbench --pairs list [-w] [-i]\n");
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
