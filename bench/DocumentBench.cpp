// Reads a generated 50 MB C file into a document and writes it back, five times each, and
// prints the median throughput, the memory the loaded document takes and the time it takes to
// free it (what closing its window, or leaving Kelto, costs).
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/Memory.h"
#include "base/Messages.h"
#include "editor/Document.h"
#include "platform/Files.h"

namespace {

const long kTargetBytes = 50L * 1024 * 1024;

std::string GenerateSource() {
    std::string text;
    text.reserve(kTargetBytes + 4096);
    unsigned seed = 12345;
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int f = 0; static_cast<long>(text.size()) < kTargetBytes; f++) {
        char line[256];
        snprintf(line, sizeof line, "/* Computes step %d of the table. */\r\n", f);
        text += line;
        snprintf(line, sizeof line, "static int step_%d(struct table *t, int count)\r\n{\r\n", f);
        text += line;
        text += "    int i, total = 0;\r\n\r\n";
        int body = 5 + next() % 20;
        for (int i = 0; i < body; i++) {
            int indent = 4 + 4 * (next() % 3);
            snprintf(line, sizeof line, "%*sif (t->cells[i + %u] > %u)\r\n%*s    total += t->cells[i] * %u;\r\n",
                     indent, "", next() % 100, next() % 1000, indent, "", next() % 50);
            text += line;
        }
        text += "    return total;\r\n}\r\n\r\n";
    }
    return text;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

} // namespace

int main() {
    NewAppState();
    NewEditorState();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string path = std::string(temp) + "DOCBENCH.C";
    CharUpperA(&path[0]);

    long fileBytes;
    {
        std::string source = GenerateSource();
        fileBytes = static_cast<long>(source.size());
        FILE *f = fopen(path.c_str(), "wb");
        if (!f || fwrite(source.data(), 1, source.size(), f) != source.size()) {
            fprintf(stderr, "docbench: cannot write %s\n", path.c_str());
            return 1;
        }
        fclose(f);
    }
    size_t before = PrivateBytes();
    if (!AttachView(nullptr, path.c_str()))
        return 1;

    std::vector<double> reads, writes;
    long inUse = 0, fromSystem = 0, arena = 0;
    size_t loadedBytes = 0;
    for (int run = 0; run < 5; run++) {
        LARGE_INTEGER t0, t1, t2;
        QueryPerformanceCounter(&t0);
        if (!ReadDocument(path.c_str()))
            return 1;
        QueryPerformanceCounter(&t1);
        inUse = g_memoryStats.inUse;
        fromSystem = g_memoryStats.fromSystem;
        arena = g_memoryStats.arenaChunks;
        loadedBytes = std::max(loadedBytes, PrivateBytes() - before);
        g_editor->doc->flags |= kDocModified;
        if (!WriteDocument(path.c_str()))
            return 1;
        QueryPerformanceCounter(&t2);
        reads.push_back(fileBytes / 1e6 / Seconds(t0, t1));
        writes.push_back(fileBytes / 1e6 / Seconds(t1, t2));
    }
    if (FileTime(path.c_str()) == 0)
        return 1;
    long lineCount = g_editor->doc->lineCount;
    long heldBefore = g_memoryStats.inUse + g_memoryStats.arenaChunks;
    LARGE_INTEGER f0, f1;
    QueryPerformanceCounter(&f0);
    DetachView(g_editor->view);   // its only view: the document goes with it
    QueryPerformanceCounter(&f1);
    printf("file: %ld bytes, %ld lines\n", fileBytes, lineCount);
    printf("read:  median %.1f MB/s (runs:", Median(reads));
    for (double r : reads)
        printf(" %.1f", r);
    printf(")\nwrite: median %.1f MB/s (runs:", Median(writes));
    for (double w : writes)
        printf(" %.1f", w);
    printf(")\nloaded document: %ld bytes in blocks, %ld bytes of pool chunks, %ld bytes of line "
           "arenas, process grew by %lu bytes (%.2f x file)\n",
           inUse, fromSystem, arena, static_cast<unsigned long>(loadedBytes),
           static_cast<double>(loadedBytes) / fileBytes);
    printf("free the loaded document: %.3f s (%ld bytes of blocks and arenas given back)\n",
           Seconds(f0, f1), heldBefore - g_memoryStats.inUse - g_memoryStats.arenaChunks);
    RemoveFile(path.c_str());
    return 0;
}
