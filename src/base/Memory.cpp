#include "base/Memory.h"

#include <malloc.h>

#include <algorithm>
#include <mutex>
#include <vector>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "platform/System.h"

MemoryStatistics g_memoryStats;

namespace {

const unsigned short kClassSizes[kPoolClassCount] = {
    32,   36,   40,   44,   48,   52,   56,   60,   64,   72,   80,   88,   96,   104,  112,
    120,  128,  140,  152,  164,  176,  188,  200,  216,  232,  248,  264,  284,  304,  324,
    348,  372,  396,  424,  452,  484,  516,  552,  588,  628,  668,  712,  760,  808,  860,
    916,  976,  1040, 1108, 1180, 1256, 1336, 1420, 1512, 1608, 1712, 1820, 1936, 2060, 2192,
    2332, 2480, 2636, 2804, 2980, 3168, 3368, 3580, 3804, 4044, 4300};

void *g_freeLists[kPoolClassCount];

// The chunks of the classes that guarded blocks (totals under 1024 bytes) come from, sorted by
// address: Release finds the chunk of a block to check the size its header claims before it
// writes anything.
struct Chunk {
    uintptr_t start, end;
    int k;
};
std::vector<Chunk> g_chunks;

size_t Stride(int k) { return (kClassSizes[k] + sizeof(void *) - 1) & ~(sizeof(void *) - 1); }

// The build and debug threads allocate too; one lock round the pool and the counters.
std::mutex g_lock;

int ClassIndex(size_t size) {
    if (size > kPoolLargestClass)
        return -1;
    int low = 0, high = kPoolClassCount - 1;
    while (low < high) {
        int mid = (low + high) / 2;
        if (kClassSizes[mid] >= size)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

// Cuts one fresh chunk into blocks of the class size and makes them the free list. The
// blocks sit a multiple of a pointer's size apart, so that a payload (8 bytes past the block)
// is pointer-aligned in the 64-bit build too; in the 32-bit build that is the class size.
bool Refill(int k) {
    size_t s = Stride(k);
    size_t count = s < 1024 ? 4096 / s : 1;
    char *chunk = static_cast<char *>(SystemAllocZeroed(count * s));
    if (!chunk)
        return false;
    if (k <= ClassIndex(1023)) {
        Chunk c = {reinterpret_cast<uintptr_t>(chunk), reinterpret_cast<uintptr_t>(chunk) + count * s, k};
        auto at = std::upper_bound(g_chunks.begin(), g_chunks.end(), c.start,
                                   [](uintptr_t start, const Chunk &x) { return start < x.start; });
        g_chunks.insert(at, c);
    }
    g_memoryStats.fromSystem += count * s;
    for (size_t i = 0; i < count; i++) {
        void *next = i + 1 < count ? chunk + (i + 1) * s : nullptr;
        memcpy(chunk + i * s, &next, sizeof next);
    }
    g_freeLists[k] = chunk;
    return true;
}

void *PoolGetLocked(size_t size) {
    int k = ClassIndex(size);
    if (k < 0) {
        void *p = SystemAllocZeroed(size);
        if (p)
            g_memoryStats.fromSystem += size;
        return p;
    }
    if (!g_freeLists[k] && !Refill(k))
        return nullptr;
    void *block = g_freeLists[k];
    memcpy(&g_freeLists[k], block, sizeof(void *));
    g_memoryStats.roundingLoss += kClassSizes[k] - size;
    return block;
}

// Returns false when the system refused to take the block back.
bool PoolPutLocked(void *block, size_t size) {
    if (size < 1024) {
        int k = ClassIndex(size);
        memcpy(block, &g_freeLists[k], sizeof(void *));
        g_freeLists[k] = block;
        return true;
    }
    g_memoryStats.fromSystem -= size;
    auto at = std::lower_bound(g_chunks.begin(), g_chunks.end(), reinterpret_cast<uintptr_t>(block),
                               [](const Chunk &x, uintptr_t start) { return x.start < start; });
    if (at != g_chunks.end() && at->start == reinterpret_cast<uintptr_t>(block))
        g_chunks.erase(at);
    return SystemFree(block);
}

// Whether a block whose header claims `total` bytes really is that big: a pool block must
// start a block of its chunk's class, and that class must be the one of `total`; any other
// block came from malloc and must hold `total` bytes.
bool PlausibleLocked(const char *block, uint32_t total) {
    uintptr_t at = reinterpret_cast<uintptr_t>(block);
    auto next = std::upper_bound(g_chunks.begin(), g_chunks.end(), at,
                                 [](uintptr_t a, const Chunk &x) { return a < x.start; });
    if (next != g_chunks.begin() && at < (next - 1)->end) {
        const Chunk &c = *(next - 1);
        return total < 1024 && (at - c.start) % Stride(c.k) == 0 && ClassIndex(total) == c.k;
    }
    return total >= 1024 && _msize(const_cast<char *>(block)) >= total;
}

uint32_t ReadWord(const char *p) {
    uint32_t w;
    memcpy(&w, p, sizeof w);
    return w;
}

void WriteWord(char *p, uint32_t w) { memcpy(p, &w, sizeof w); }

} // namespace

size_t PoolClassSize(size_t size) {
    int k = ClassIndex(size);
    return k < 0 ? 0 : kClassSizes[k];
}

void *PoolGet(size_t size) {
    std::lock_guard<std::mutex> hold(g_lock);
    return PoolGetLocked(size);
}

void PoolPut(void *block, size_t size) {
    bool ok;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        ok = PoolPutLocked(block, size);
    }
    if (!ok)
        ErrorBox("GlobalFree failed");
}

void *Allocate(size_t n) {
    if (n > 0x7FFFFFF0u - kBlockOverhead)
        return nullptr;
    size_t total = n + kBlockOverhead;
    char *block;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        block = static_cast<char *>(total < 1024 ? PoolGetLocked(total) : malloc(total));
        if (!block)
            return nullptr;
        g_memoryStats.inUse += total;
    }
    WriteWord(block, kBlockMagic);
    WriteWord(block + 4, static_cast<uint32_t>(total));
    memset(block + 8, 0, n);
    WriteWord(block + total - 4, kBlockGuard);
    return block + 8;
}

void *Allocate400() { return Allocate(400); }

void Release(void *p) {
    if (!p)
        return;
    char *block = static_cast<char *>(p) - 8;
    if (ReadWord(block) != kBlockMagic) {
        ErrorMessage(kStrBadRelease);
        return;
    }
    uint32_t total = ReadWord(block + 4);
    bool plausible;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        plausible = total >= kBlockOverhead && PlausibleLocked(block, total);
    }
    if (!plausible) {
        // The header was written over: the size cannot be trusted to find the guard, and
        // nothing is written through it.
        ErrorMessage(kStrBadRelease);
        return;
    }
    WriteWord(block, 0);
    if (ReadWord(block + total - 4) != kBlockGuard) {
        // The shared scratch buffer may be the damaged block itself; format on the stack.
        char text[64];
        snprintf(text, sizeof text, GetString(kStrOverwrittenBlock), static_cast<int>(total));
        ErrorBox(text);
    }
    WriteWord(block + total - 4, 0);
    bool ok = true;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_memoryStats.inUse -= total;
        if (total < 1024)
            ok = PoolPutLocked(block, total);
        else
            free(block);
    }
    if (!ok)
        ErrorBox("GlobalFree failed");
}

char *DupString(const char *s) {
    if (!s)
        s = "";
    size_t n = strlen(s) + 1;
    char *copy = static_cast<char *>(Allocate(n));
    if (copy)
        memcpy(copy, s, n);
    return copy;
}

char *DupString400(const char *s) {
    char *copy = static_cast<char *>(Allocate400());
    if (copy && s) {
        size_t n = strnlen(s, 399);
        memcpy(copy, s, n);
    }
    return copy;
}

char *DupScratch() { return DupString(g_scratch); }

char **LoadStrings(int first, int n) {
    char **list = static_cast<char **>(Allocate(n * sizeof(char *)));
    if (!list)
        return nullptr;
    for (int i = 0; i < n; i++)
        list[i] = DupString(GetString(first + i));
    return list;
}
