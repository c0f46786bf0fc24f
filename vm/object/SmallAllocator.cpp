// The small-block allocator.
#include "vm/object/SmallAllocator.h"

#include <cstdlib>

namespace {

constexpr std::size_t granule = 16;
constexpr std::size_t classes = SmallAllocator::largest / granule;
constexpr std::size_t chunkSize = 256 * 1024;

struct FreeBlock {
    FreeBlock* next;
};

struct State {
    FreeBlock* free[classes] = {};
    char* chunk = nullptr; // the unused rest of the current chunk
    std::size_t left = 0;
};

// Made once and never destroyed: objects still alive at exit may be deleted after every static
// destructor has run, and the chunks must still be there for them.
State& state() {
    static State* s = new State;
    return *s;
}

std::size_t classOf(std::size_t size) {
    return (size + granule - 1) / granule - 1;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer every block is its own allocation, so a stale pointer is caught.
void* SmallAllocator::allocate(std::size_t size) {
    return ::operator new(size);
}
void SmallAllocator::release(void* block, std::size_t) noexcept {
    ::operator delete(block);
}
#else
void* SmallAllocator::allocate(std::size_t size) {
    if (size == 0 || size > largest) return ::operator new(size);
    State& s = state();
    std::size_t index = classOf(size);
    if (FreeBlock* block = s.free[index]) {
        s.free[index] = block->next;
        return block;
    }
    std::size_t rounded = (index + 1) * granule;
    if (s.left < rounded) {
        s.chunk = static_cast<char*>(std::malloc(chunkSize));
        if (!s.chunk) throw std::bad_alloc();
        s.left = chunkSize;
    }
    void* block = s.chunk;
    s.chunk += rounded;
    s.left -= rounded;
    return block;
}

void SmallAllocator::release(void* block, std::size_t size) noexcept {
    if (!block) return;
    if (size == 0 || size > largest) {
        ::operator delete(block);
        return;
    }
    State& s = state();
    std::size_t index = classOf(size);
    auto* free = static_cast<FreeBlock*>(block);
    free->next = s.free[index];
    s.free[index] = free;
}
#endif
