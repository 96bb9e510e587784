// The guarded allocator and its pool, checked through the statistics counters and the boxes
// that Release shows.
#include <string.h>

#include <vector>

#include "core/Memory.h"
#include "core/Messages.h"
#include "support/TestSupport.h"

namespace {

class MemoryTest : public KeltoTest {};

bool AllZero(const void *p, size_t n) {
    const unsigned char *bytes = static_cast<const unsigned char *>(p);
    for (size_t i = 0; i < n; i++)
        if (bytes[i] != 0)
            return false;
    return true;
}

TEST_F(MemoryTest, BlocksAroundThePoolLimitComeFromTheRightPlace) {
    MemoryStatistics before = g_memoryStats;
    void *empty = Allocate(0);
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(before.inUse + 12, g_memoryStats.inUse);
    Release(empty);
    EXPECT_EQ(before.inUse, g_memoryStats.inUse);

    // Total 1023: the last total the pool serves, from the class of 1040 bytes.
    before = g_memoryStats;
    char *pooled = static_cast<char *>(Allocate(1011));
    ASSERT_NE(nullptr, pooled);
    EXPECT_EQ(before.roundingLoss + (1040 - 1023), g_memoryStats.roundingLoss);
    EXPECT_EQ(before.inUse + 1023, g_memoryStats.inUse);
    EXPECT_TRUE(AllZero(pooled, 1011));

    // Total 1024: malloc, so nothing is lost to rounding.
    MemoryStatistics middle = g_memoryStats;
    char *large = static_cast<char *>(Allocate(1012));
    ASSERT_NE(nullptr, large);
    EXPECT_EQ(middle.roundingLoss, g_memoryStats.roundingLoss);
    EXPECT_EQ(middle.fromSystem, g_memoryStats.fromSystem);
    EXPECT_EQ(middle.inUse + 1024, g_memoryStats.inUse);
    EXPECT_TRUE(AllZero(large, 1012));

    Release(large);
    Release(pooled);
    EXPECT_EQ(before.inUse, g_memoryStats.inUse);
    EXPECT_TRUE(ui.boxes.empty());

    char *path = static_cast<char *>(Allocate400());
    EXPECT_EQ(before.inUse + 412, g_memoryStats.inUse);
    EXPECT_TRUE(AllZero(path, 400));
    Release(path);
    Release(nullptr);
    EXPECT_EQ(before.inUse, g_memoryStats.inUse);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MemoryTest, OverrunIsReportedAndTheBlockStillFreed) {
    for (size_t n : {20u, 1500u}) {   // a pool block and a malloc block
        ui.boxes.clear();
        long inUse = g_memoryStats.inUse;
        char *p = static_cast<char *>(Allocate(n));
        ASSERT_NE(nullptr, p);
        p[n] = 'x';   // the first byte of the guard
        Release(p);
        ASSERT_EQ(1u, ui.boxes.size()) << n;
        char expected[40];
        snprintf(expected, sizeof expected, "overwritten block size %d\n", int(n + 12));
        EXPECT_EQ(expected, ui.boxes[0].text);
        EXPECT_EQ("Error", ui.boxes[0].title);
        EXPECT_EQ(inUse, g_memoryStats.inUse) << n;
    }
}

TEST_F(MemoryTest, ForeignAndReleasedBlocksAreRefused) {
    char *p = static_cast<char *>(Allocate(40));
    Release(p);
    long inUse = g_memoryStats.inUse;
    Release(p);
    ASSERT_EQ(1u, ui.Texts().size());
    EXPECT_EQ("Wrong block passed to release", ui.Texts()[0]);
    EXPECT_EQ("Error", ui.boxes[0].title);
    EXPECT_EQ(inUse, g_memoryStats.inUse);

    // A pointer the allocator never handed out is left alone, the counters too.
    char local[64] = {};
    Release(local + 16);
    EXPECT_EQ(2u, ui.boxes.size());
    EXPECT_EQ(inUse, g_memoryStats.inUse);
}

TEST_F(MemoryTest, ReusedBlocksAreZeroFilledAgain) {
    char *first = static_cast<char *>(Allocate(20));
    memset(first, 0xAB, 20);
    Release(first);
    char *second = static_cast<char *>(Allocate(20));
    EXPECT_EQ(first, second);   // the pool hands the block just returned out again
    EXPECT_TRUE(AllZero(second, 20));
    Release(second);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MemoryTest, PoolRefillsOneChunkEachTimeAClassRunsDry) {
    struct Case { size_t request, blockSize, chunk, perChunk; };
    // Class 32: 128 blocks of 32 per chunk; class 404..424: 9 blocks of 424; class 1040 and
    // above: a chunk of exactly one block.
    for (Case c : {Case{30, 32, 4096, 128}, Case{400, 424, 3816, 9}, Case{2000, 2060, 2060, 1}}) {
        EXPECT_EQ(c.blockSize, PoolClassSize(c.request));
        std::vector<void *> blocks;
        std::vector<size_t> refillsAt;
        long loss = g_memoryStats.roundingLoss;
        // Earlier tests may have left free blocks in the class: take blocks until the first
        // refill, then two more chunks' worth.
        for (size_t i = 0; refillsAt.size() < 3 && i < 100000; i++) {
            long system = g_memoryStats.fromSystem;
            void *b = PoolGet(c.request);
            ASSERT_NE(nullptr, b);
            blocks.push_back(b);
            if (g_memoryStats.fromSystem != system) {
                EXPECT_EQ(long(c.chunk), g_memoryStats.fromSystem - system) << c.request;
                refillsAt.push_back(i);
            }
        }
        EXPECT_EQ(loss + long(blocks.size() * (c.blockSize - c.request)),
                  g_memoryStats.roundingLoss);
        ASSERT_EQ(3u, refillsAt.size()) << c.request;
        EXPECT_EQ(c.perChunk, refillsAt[1] - refillsAt[0]) << c.request;
        EXPECT_EQ(c.perChunk, refillsAt[2] - refillsAt[1]) << c.request;
        // Blocks are distinct and do not overlap: fill each whole, then check every one.
        for (size_t i = 0; i < blocks.size(); i++) {
            char *b = static_cast<char *>(blocks[i]);
            memset(b, 0x5A, c.request);
            memcpy(b, &i, sizeof i);
            memcpy(b + c.request - sizeof i, &i, sizeof i);
        }
        for (size_t i = 0; i < blocks.size(); i++) {
            const char *b = static_cast<const char *>(blocks[i]);
            size_t head, tail;
            memcpy(&head, b, sizeof head);
            memcpy(&tail, b + c.request - sizeof tail, sizeof tail);
            ASSERT_TRUE(head == i && tail == i) << c.request << " block " << i;
        }
        for (void *b : blocks)
            PoolPut(b, c.request);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MemoryTest, PoolServesLargeSizesStraightFromTheSystem) {
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

TEST_F(MemoryTest, StringCopies) {
    char *empty = DupString(nullptr);
    ASSERT_NE(nullptr, empty);
    EXPECT_STREQ("", empty);
    Release(empty);

    char *copy = DupString("main.c");
    EXPECT_STREQ("main.c", copy);
    Release(copy);

    std::string longText(500, 'q');
    char *bounded = DupString400(longText.c_str());
    EXPECT_EQ(399u, strlen(bounded));
    Release(bounded);   // the copy stayed inside its 400 bytes
    EXPECT_TRUE(ui.boxes.empty());

    char **fortran = LoadStrings(5027, 3);
    ASSERT_NE(nullptr, fortran);
    EXPECT_STREQ(GetString(5027), fortran[0]);
    EXPECT_STREQ("stop", fortran[1]);
    EXPECT_STREQ("", fortran[2]);
    EXPECT_NE(GetString(5028), fortran[1]);   // copies, not the table's own texts
    for (int i = 0; i < 3; i++)
        Release(fortran[i]);
    Release(fortran);
    EXPECT_TRUE(ui.boxes.empty());
}

} // namespace
