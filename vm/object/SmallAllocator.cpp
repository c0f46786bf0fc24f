// The small-block allocator's chunks.
#include "vm/object/SmallAllocator.h"

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
