// The guarded allocator and its small-block pool.
//
// Every block carries a header {magic 12345678, total size} in front of the payload and a
// guard word 0x0000FFFF behind it; total = requested + 12. Totals under 1024 bytes come from a
// pool of 71 size classes, each a free list threaded through the first word of its free
// blocks; larger blocks come from malloc. Release checks the magic (a foreign or released
// block is reported and left alone) and the guard (an overrun is reported, then the block is
// freed as usual).
#pragma once

#include <stddef.h>

enum {
    kBlockMagic = 12345678,
    kBlockGuard = 0x0000FFFF,
    kBlockOverhead = 12,
    kPoolClassCount = 71,
    kPoolLargestClass = 4300,
};

void *Allocate(size_t n);
void *Allocate400();
void Release(void *p);
char *DupString(const char *s);
char *DupString400(const char *s);
char *DupScratch();
// An allocated array of n copies of the messages first, first+1, ...
char **LoadStrings(int first, int n);

// The pool itself; `size` is the whole block size.
void *PoolGet(size_t size);
void PoolPut(void *block, size_t size);
// Block size of the smallest class that holds `size`, or 0 when no class does.
size_t PoolClassSize(size_t size);

struct MemoryStatistics {
    long inUse;           // total sizes of the live guarded blocks
    long roundingLoss;    // bytes lost rounding requests up to their class size
    long fromSystem;      // bytes obtained from the system for the pool
    long arenaChunks;     // bytes of the record arenas' chunks (base/Arena.h)
};
extern MemoryStatistics g_memoryStats;
