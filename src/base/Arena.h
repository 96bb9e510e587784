// Record arenas: the many small records of one owner (the lines of a document) carved out of
// large chunks. A record carries no header and no guard; a record given back waits on a free
// list of its size for the next request of that size, and the chunks go back to the system
// whole, all at once, when the owner goes. Records are aligned for pointers and zero-filled.
//
// An arena is a plain record: all zeros is an empty arena. Only the user-interface thread
// uses arenas.
#pragma once

#include <stddef.h>

enum {
    kArenaAlign = sizeof(void *),
    kArenaLargestRecord = 1024,    // larger records belong in guarded blocks
    kArenaFirstChunk = 4096,       // chunks double from this size...
    kArenaLargestChunk = 1 << 20,  // ...up to this one
};

struct ArenaSpan {
    char *start, *end;
};

struct Arena {
    ArenaSpan *spans;   // the chunks, sorted by address (a guarded block)
    int spanCount, spanRoom;
    int lastSpan;       // where the last ownership question found its answer
    char *next, *limit; // the unused part of the newest chunk
    void *freed[kArenaLargestRecord / kArenaAlign + 1];   // given-back records by size
};

// A record's size once rounded to the alignment.
inline size_t ArenaRecordSize(size_t size) { return (size + kArenaAlign - 1) & ~size_t(kArenaAlign - 1); }
// A zero-filled record of ArenaRecordSize(size) bytes; null when `size` is 0 or over
// kArenaLargestRecord, or when the system has no memory left.
void *ArenaGet(Arena *arena, size_t size);
// Gives a record of ArenaRecordSize(size) bytes back for reuse. Its first word is overwritten.
void ArenaPut(Arena *arena, void *record, size_t size);
// Whether `p` lies in one of the arena's chunks.
bool ArenaOwns(Arena *arena, const void *p);
// Gives every chunk back to the system; the arena is empty again.
void ArenaFree(Arena *arena);
