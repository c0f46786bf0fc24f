// The small-block allocator's chunks.
#include "vm/object/SmallAllocator.h"

#include <cstdint>
#include <cstdlib>

#include "platform/Memory.h"

// A small program takes a few small chunks; once it has used some, the chunks are large pages,
// so a long recursion faults once per 2 MB instead of once per 4 KB.
void* SmallAllocator::carve(std::size_t size) {
    constexpr std::size_t smallChunk = 256 * 1024;
    constexpr std::size_t smallChunks = 8;
    if (left_ < size) {
        const bool large = chunksMade_ >= smallChunks;
        const std::size_t chunkSize = large ? largePageSize : smallChunk;
        chunk_ = static_cast<char*>(large ? allocateLargeBlock(chunkSize) : std::malloc(chunkSize));
        if (!chunk_) throw std::bad_alloc();
        left_ = chunkSize;
        ++chunksMade_;
    }
    void* block = chunk_;
    chunk_ += size;
    left_ -= size;
    return block;
}

namespace {
// From here on an array takes whole large pages: a 1 MB array wastes at most half of one.
constexpr std::size_t largeArray = largePageSize / 2;

std::size_t wholeLargePages(std::size_t size) {
    return (size + largePageSize - 1) / largePageSize * largePageSize;
}
} // namespace

void* SmallAllocator::allocateLarge(std::size_t size) {
    if (size < largeArray) return ::operator new(size);
    if (size > SIZE_MAX - largePageSize) throw std::bad_alloc();
    void* block = allocateLargeBlock(wholeLargePages(size));
    if (!block) throw std::bad_alloc();
    return block;
}

void SmallAllocator::releaseLarge(void* block, std::size_t size) noexcept {
    if (size < largeArray) return ::operator delete(block);
    std::free(block);
}
