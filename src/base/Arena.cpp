#include "base/Arena.h"

#include <stdlib.h>
#include <string.h>

#include "base/Memory.h"

namespace {

size_t SpanSize(const ArenaSpan &span) { return static_cast<size_t>(span.end - span.start); }

// Adds a fresh chunk able to hold `size` bytes; what is left of the newest chunk is kept for
// reuse as a record of its own size.
bool AddChunk(Arena *arena, size_t size) {
    if (arena->spanCount == arena->spanRoom) {
        int room = arena->spanRoom ? arena->spanRoom * 2 : 16;
        ArenaSpan *spans = static_cast<ArenaSpan *>(Allocate(room * sizeof(ArenaSpan)));
        if (!spans)
            return false;
        if (arena->spanCount)
            memcpy(spans, arena->spans, arena->spanCount * sizeof(ArenaSpan));
        Release(arena->spans);
        arena->spans = spans;
        arena->spanRoom = room;
    }
    size_t chunkSize = arena->spanCount < 9 ? size_t(kArenaFirstChunk) << arena->spanCount : size_t(kArenaLargestChunk);
    if (chunkSize > kArenaLargestChunk)
        chunkSize = kArenaLargestChunk;
    if (chunkSize < size)
        chunkSize = size;
    char *chunk = static_cast<char *>(malloc(chunkSize));
    if (!chunk)
        return false;
    size_t left = static_cast<size_t>(arena->limit - arena->next);
    if (left >= kArenaAlign && left <= kArenaLargestRecord)
        ArenaPut(arena, arena->next, left);
    ArenaSpan span = {chunk, chunk + chunkSize};
    int at = arena->spanCount;
    while (at > 0 && arena->spans[at - 1].start > chunk)
        at--;
    memmove(&arena->spans[at + 1], &arena->spans[at], (arena->spanCount - at) * sizeof(ArenaSpan));
    arena->spans[at] = span;
    arena->spanCount++;
    arena->lastSpan = at;
    arena->next = chunk;
    arena->limit = chunk + chunkSize;
    g_memoryStats.arenaChunks += static_cast<long>(chunkSize);
    return true;
}

} // namespace

void *ArenaGet(Arena *arena, size_t size) {
    if (size == 0 || size > kArenaLargestRecord)
        return nullptr;
    size = ArenaRecordSize(size);
    void *&freed = arena->freed[size / kArenaAlign];
    char *record;
    if (freed) {
        record = static_cast<char *>(freed);
        memcpy(&freed, record, sizeof freed);
    } else {
        if (static_cast<size_t>(arena->limit - arena->next) < size && !AddChunk(arena, size))
            return nullptr;
        record = arena->next;
        arena->next += size;
    }
    memset(record, 0, size);
    return record;
}

void ArenaPut(Arena *arena, void *record, size_t size) {
    size = ArenaRecordSize(size);
    if (!record || size == 0 || size > kArenaLargestRecord)
        return;
    void *&freed = arena->freed[size / kArenaAlign];
    memcpy(record, &freed, sizeof freed);
    freed = record;
}

bool ArenaOwns(Arena *arena, const void *p) {
    const char *at = static_cast<const char *>(p);
    if (arena->spanCount == 0)
        return false;
    const ArenaSpan &last = arena->spans[arena->lastSpan];
    if (at >= last.start && at < last.end)
        return true;
    int low = 0, high = arena->spanCount;   // the first span starting after `at`
    while (low < high) {
        int mid = (low + high) / 2;
        if (arena->spans[mid].start <= at)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == 0 || at >= arena->spans[low - 1].end)
        return false;
    arena->lastSpan = low - 1;
    return true;
}

void ArenaFree(Arena *arena) {
    for (int i = 0; i < arena->spanCount; i++) {
        g_memoryStats.arenaChunks -= static_cast<long>(SpanSize(arena->spans[i]));
        free(arena->spans[i].start);
    }
    Release(arena->spans);
    memset(arena, 0, sizeof *arena);
}
