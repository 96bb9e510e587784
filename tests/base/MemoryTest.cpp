// The guarded allocator and its pool, checked through the statistics counters and the boxes
// that Release shows.
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "base/Arena.h"
#include "base/Memory.h"
#include "base/Messages.h"
#include "support/TestSupport.h"

namespace {

class MemoryTest : public KeltoTest {};

bool AllZero(const void *p, size_t n) {
    const unsigned char *bytes = static_cast<const unsigned char *>(p);
    return std::all_of(bytes, bytes + n, [](unsigned char b) { return b == 0; });
}

// Totals (request + 12) under 1024 come from the pool and lose the rounding to their class;
// 1024 and up come from malloc and lose nothing.
TEST_F(MemoryTest, BlocksAroundThePoolLimitComeFromTheRightPlace) {
    struct Case { size_t n; long loss; };
    MemoryStatistics before = g_memoryStats;
    std::vector<void *> blocks;
    for (Case c : {Case{0, 32 - 12}, Case{24, 0}, Case{24, 0}, Case{1011, 1040 - 1023}, Case{1012, 0}}) {
        MemoryStatistics was = g_memoryStats;
        void *p = Allocate(c.n);
        ASSERT_NE(nullptr, p) << c.n;
        blocks.push_back(p);
        EXPECT_EQ(was.inUse + long(c.n + 12), g_memoryStats.inUse) << c.n;
        EXPECT_EQ(was.roundingLoss + c.loss, g_memoryStats.roundingLoss) << c.n;
        EXPECT_TRUE(AllZero(p, c.n)) << c.n;
        // Records of pointers live in these blocks, in the 64-bit build too.
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(p) % sizeof(void *)) << c.n;
        memset(p, 0xAB, c.n);
    }
    for (void *p : blocks)
        Release(p);
    Release(nullptr);
    EXPECT_EQ(before.inUse, g_memoryStats.inUse);

    // The pool hands the block just returned out again, zero-filled once more.
    void *again = Allocate(1011);
    EXPECT_EQ(blocks[3], again);
    EXPECT_TRUE(AllZero(again, 1011));
    Release(again);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MemoryTest, ReleaseReportsDamagedAndForeignBlocks) {
    // An overrun is reported with the block's total size, and the block is freed all the same.
    for (size_t n : {20u, 1500u}) {   // a pool block and a malloc block
        ui.boxes.clear();
        long inUse = g_memoryStats.inUse;
        char *p = static_cast<char *>(Allocate(n));
        ASSERT_NE(nullptr, p);
        p[n] = 'x';   // the first byte of the guard
        Release(p);
        EXPECT_EQ(std::vector<std::string>{"overwritten block size " + std::to_string(n + 12) + "\n"}, ui.Texts());
        EXPECT_EQ(inUse, g_memoryStats.inUse) << n;
    }

    // A released block, or one the allocator never handed out, is refused and left alone.
    ui.boxes.clear();
    char *p = static_cast<char *>(Allocate(40));
    Release(p);
    long inUse = g_memoryStats.inUse;
    Release(p);
    char local[64] = {};
    Release(local + 16);
    EXPECT_EQ(std::vector<std::string>(2, "Wrong block passed to release"), ui.Texts());
    EXPECT_EQ(inUse, g_memoryStats.inUse);

    // A size written over in the header is not believed: nothing is written through it (the
    // header keeps its magic), and the block is not freed.
    for (size_t n : {40u, 1500u}) {
        ui.boxes.clear();
        char *q = static_cast<char *>(Allocate(n));
        uint32_t claimed = n < 1000 ? 900 : 1000000, total = uint32_t(n + 12), magic;
        memcpy(q - 4, &claimed, 4);
        Release(q);
        EXPECT_EQ(std::vector<std::string>{"Wrong block passed to release"}, ui.Texts()) << n;
        memcpy(&magic, q - 8, 4);
        EXPECT_EQ(uint32_t(kBlockMagic), magic) << n;
        memcpy(q - 4, &total, 4);   // mended, it goes
        Release(q);
        EXPECT_EQ(1u, ui.boxes.size()) << n;
    }
    EXPECT_EQ(inUse, g_memoryStats.inUse);
}

TEST_F(MemoryTest, PoolRefillsOneChunkEachTimeAClassRunsDryAndLargeSizesComeFromTheSystem) {
    struct Case { size_t request, blockSize, perChunk; };
    // Class 32: 128 blocks per chunk; class 424: 9 blocks; 1040 and above: one block a chunk.
    for (Case c : {Case{30, 32, 128}, Case{400, 424, 9}, Case{2000, 2060, 1}}) {
        EXPECT_EQ(c.blockSize, PoolClassSize(c.request));
        // Blocks lie a multiple of a pointer's size apart (2060 takes 2064 in the 64-bit build).
        size_t stride = (c.blockSize + sizeof(void *) - 1) / sizeof(void *) * sizeof(void *);
        long chunk = long(c.perChunk * stride);
        std::vector<void *> blocks;
        std::vector<size_t> refillsAt;
        // Earlier tests may have left free blocks in the class: take blocks until the first
        // refill, then two more chunks' worth.
        for (size_t i = 0; refillsAt.size() < 3 && i < 100000; i++) {
            long system = g_memoryStats.fromSystem;
            blocks.push_back(PoolGet(c.request));
            ASSERT_NE(nullptr, blocks.back());
            if (g_memoryStats.fromSystem != system) {
                EXPECT_EQ(chunk, g_memoryStats.fromSystem - system) << c.request;
                refillsAt.push_back(i);
            }
        }
        ASSERT_EQ(3u, refillsAt.size()) << c.request;
        EXPECT_EQ(c.perChunk, refillsAt[1] - refillsAt[0]) << c.request;
        EXPECT_EQ(c.perChunk, refillsAt[2] - refillsAt[1]) << c.request;
        for (void *b : blocks)
            PoolPut(b, c.request);
        // Blocks do not overlap: in address order, each lies at least its size before the next.
        std::sort(blocks.begin(), blocks.end(), std::less<void *>());
        for (size_t i = 1; i < blocks.size(); i++)
            ASSERT_GE(static_cast<char *>(blocks[i]) - static_cast<char *>(blocks[i - 1]), long(c.request)) << i;
    }

    // Sizes above the largest class come straight from the system.
    EXPECT_EQ(4300u, PoolClassSize(4300));
    EXPECT_EQ(0u, PoolClassSize(4301));
    MemoryStatistics before = g_memoryStats;
    char *big = static_cast<char *>(PoolGet(5000));
    ASSERT_NE(nullptr, big);
    EXPECT_EQ(before.fromSystem + 5000, g_memoryStats.fromSystem);
    EXPECT_EQ(before.roundingLoss, g_memoryStats.roundingLoss);
    EXPECT_TRUE(AllZero(big, 5000));
    PoolPut(big, 5000);
    EXPECT_EQ(before.fromSystem, g_memoryStats.fromSystem);
    EXPECT_TRUE(ui.boxes.empty());
}

// An arena hands out aligned, zero-filled records that do not overlap and that it knows for
// its own, takes a record back for the next request of its size, and gives all its chunks
// (and its table of them) back at once.
TEST_F(MemoryTest, ArenaRecordsAreReusedBySizeAndGoBackWholeWithTheArena) {
    MemoryStatistics before = g_memoryStats;
    Arena arena = {};
    std::vector<char *> records;
    std::vector<size_t> sizes;
    long total = 0;
    for (size_t i = 0; i < 5000; i++) {   // sizes 1 to 1024 over several chunks
        size_t size = 1 + i * 37 % kArenaLargestRecord;
        char *r = static_cast<char *>(ArenaGet(&arena, size));
        ASSERT_NE(nullptr, r) << i;
        ASSERT_EQ(0u, reinterpret_cast<uintptr_t>(r) % kArenaAlign) << i;
        ASSERT_TRUE(AllZero(r, ArenaRecordSize(size))) << i;
        memset(r, int(i & 0xFF), ArenaRecordSize(size));
        records.push_back(r);
        sizes.push_back(size);
        total += long(ArenaRecordSize(size));
    }
    EXPECT_GE(g_memoryStats.arenaChunks - before.arenaChunks, total);
    for (size_t i = 0; i < records.size(); i++) {
        size_t end = ArenaRecordSize(sizes[i]) - 1;
        ASSERT_TRUE(records[i][0] == char(i & 0xFF) && records[i][end] == char(i & 0xFF)) << i;
        ASSERT_TRUE(ArenaOwns(&arena, records[i]) && ArenaOwns(&arena, records[i] + end)) << i;
    }
    char local[16];
    void *guarded = Allocate(16);
    EXPECT_FALSE(ArenaOwns(&arena, local));
    EXPECT_FALSE(ArenaOwns(&arena, guarded));
    Release(guarded);
    EXPECT_EQ(nullptr, ArenaGet(&arena, 0));
    EXPECT_EQ(nullptr, ArenaGet(&arena, kArenaLargestRecord + 1));

    // A record of 38 bytes takes 40, like a request of 40; not like one of 48.
    ArenaPut(&arena, records[1], 38);
    EXPECT_NE(records[1], ArenaGet(&arena, 48));
    long chunks = g_memoryStats.arenaChunks;
    char *again = static_cast<char *>(ArenaGet(&arena, 40));
    EXPECT_EQ(records[1], again);
    EXPECT_TRUE(AllZero(again, 40));
    EXPECT_EQ(chunks, g_memoryStats.arenaChunks);

    ArenaFree(&arena);
    EXPECT_EQ(before.arenaChunks, g_memoryStats.arenaChunks);
    EXPECT_EQ(before.inUse, g_memoryStats.inUse);
    EXPECT_FALSE(ArenaOwns(&arena, records[0]));
    EXPECT_TRUE(ui.boxes.empty());
}

} // namespace
