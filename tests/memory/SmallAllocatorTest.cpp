// The pool: blocks recycled by size, large blocks given back whole, the limit, and, under
// AddressSanitizer, a freed block or the zone after a block poisoned in the pool that ships.
#include <gtest/gtest.h>

#include <cstring>

#include "vm/memory/SmallAllocator.h"
#if defined(ORVEX_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

namespace {

struct PoolTest : ::testing::Test {
    PoolTest() { previous = SmallAllocator::exchangeCurrent(&pool); }
    ~PoolTest() override { SmallAllocator::exchangeCurrent(previous); }
    SmallAllocator pool;
    SmallAllocator* previous;
};

TEST_F(PoolTest, RecyclesBySizeAndGivesLargeBlocksBack) {
    void* a = SmallAllocator::allocate(24);
    void* b = SmallAllocator::allocate(24);
    EXPECT_NE(a, b);
    SmallAllocator::release(a, 24);
    EXPECT_NE(SmallAllocator::allocate(32), a); // another size, another free list
    EXPECT_EQ(SmallAllocator::allocate(20), a); // 20 bytes take the 24-byte class
    const std::size_t held = pool.bytesHeld();
    void* large = SmallAllocator::allocate(1 << 20);
    std::memset(large, 1, 1 << 20);
    EXPECT_GE(pool.bytesHeld(), held + (1 << 20));
    SmallAllocator::release(large, 1 << 20);
    EXPECT_EQ(pool.bytesHeld(), held);
    // A text kept for good that is longer than a chunk gets a chunk of its own size.
    void* text = SmallAllocator::carveForever(200 * 1024);
    std::memset(text, 2, 200 * 1024);
}

TEST_F(PoolTest, StopsAtItsLimit) {
    pool.setLimit(pool.bytesHeld() + (1 << 20));
    EXPECT_THROW(SmallAllocator::allocate(2 << 20), MemoryLimitReached);
    void* small = SmallAllocator::allocate(64); // what is held already still serves
    EXPECT_NE(small, nullptr);
}

#if defined(ORVEX_ADDRESS_SANITIZER)
TEST_F(PoolTest, PoisonsFreedBlocksAndTheZoneAfterEach) {
    auto* block = static_cast<char*>(SmallAllocator::allocate(40));
    EXPECT_FALSE(__asan_address_is_poisoned(block + 39));
    EXPECT_TRUE(__asan_address_is_poisoned(block + 40)); // an overflow into the neighbour
    SmallAllocator::release(block, 40);
    EXPECT_TRUE(__asan_address_is_poisoned(block + 8)); // a stale write
    EXPECT_DEATH(block[8] = 1, "use-after-poison");
}
#endif

} // namespace
