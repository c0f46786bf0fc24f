// The small-block allocator's chunks.
#include "vm/object/SmallAllocator.h"

#include <cstdlib>

void* SmallAllocator::carve(std::size_t size) {
    constexpr std::size_t chunkSize = 256 * 1024;
    if (left_ < size) {
        chunk_ = static_cast<char*>(std::malloc(chunkSize));
        if (!chunk_) throw std::bad_alloc();
        left_ = chunkSize;
    }
    void* block = chunk_;
    chunk_ += size;
    left_ -= size;
    return block;
}
