// The runtime's allocator: chunks, free lists, large blocks and the count of bytes held.
#include "vm/memory/SmallAllocator.h"

#include <cstdint>
#include <cstdlib>

#include "platform/Assert.h"
#include "platform/Memory.h"

#if defined(ORVEX_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#define ORVEX_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define ORVEX_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define ORVEX_POISON(block, size) ((void)(block), (void)(size))
#define ORVEX_UNPOISON(block, size) ((void)(block), (void)(size))
#endif

namespace {
// A small program takes a few small chunks; once it has used some, the chunks are large pages, so
// a long recursion faults once per 2 MB instead of once per 4 KB.
constexpr std::size_t smallChunk = 256 * 1024;
constexpr std::size_t smallChunks = 8;
// From here on a large block takes whole large pages: a 1 MB array wastes at most half of one.
constexpr std::size_t largeArray = largePageSize / 2;

std::size_t wholeLargePages(std::size_t size) {
    return (size + largePageSize - 1) / largePageSize * largePageSize;
}

// Small chunks and blocks come from the C library, the rest from the system: what a block is made of
// follows from its size.
void freeBlockOf(void* block, std::size_t size) noexcept {
    if (size >= largeArray)
        freeLargeBlock(block);
    else
        std::free(block);
}
} // namespace

SmallAllocator::~SmallAllocator() {
    for (Chunk* chunk = chunks_; chunk;) {
        Chunk* next = chunk->next;
        const std::size_t size = chunk->size;
        ORVEX_UNPOISON(chunk, size);
        freeBlockOf(chunk, size);
        chunk = next;
    }
    for (const auto& [block, size] : large_)
        freeBlockOf(block, size);
}

void SmallAllocator::charge(std::size_t bytes) {
    if (limit_ != 0 && (bytes > limit_ || held_ > limit_ - bytes)) throw MemoryLimitReached();
}

void SmallAllocator::newChunk(std::size_t atLeast) {
    // A text kept for good may be longer than a chunk: its chunk is made to measure.
    const bool large = chunksMade_ >= smallChunks || atLeast + sizeof(Chunk) > smallChunk;
    std::size_t size = large ? largePageSize : smallChunk;
    if (atLeast > SIZE_MAX - largePageSize - sizeof(Chunk)) throw std::bad_alloc();
    if (atLeast + sizeof(Chunk) > size) size = wholeLargePages(atLeast + sizeof(Chunk));
    charge(size);
    void* memory = large ? allocateLargeBlock(size) : std::malloc(size);
    if (!memory) throw std::bad_alloc();
    held_ += size;
    ++chunksMade_;
    auto* chunk = static_cast<Chunk*>(memory);
    chunk->next = chunks_;
    chunk->size = size;
    chunks_ = chunk;
    chunk_ = static_cast<char*>(memory) + sizeof(Chunk);
    left_ = size - sizeof(Chunk);
    ORVEX_POISON(chunk_, left_);
}

// A block and, in sanitized builds, the poisoned zone after it. What is left of a chunk too small
// for the block is not kept: it is less than a large block, once per chunk.
void* SmallAllocator::carveBlock(std::size_t bytes, std::size_t size) {
    const std::size_t taken = bytes + redZone;
    if (left_ < taken) newChunk(taken);
    ORVEX_ASSERT(left_ >= taken, "a new chunk holds the block it is made for");
    void* block = chunk_;
    chunk_ += taken;
    left_ -= taken;
    ORVEX_UNPOISON(block, size);
    return block;
}

// Symbol texts: most are short, and a loop that grows a text makes one longer text after another,
// none of them ever given back. Up to a quarter of a megabyte they lie end to end in the chunks.
void* SmallAllocator::carveForever(std::size_t size) {
    constexpr std::size_t ownBlock = 256 * 1024;
    SmallAllocator* allocator = Current::get();
    if (size >= ownBlock) return allocator->allocateLarge(size);
    return allocator->carveBlock((size + granule - 1) / granule * granule, size);
}

void* SmallAllocator::takeFreePoisoned(FreeBlock* block, std::size_t index, std::size_t size) {
    ORVEX_UNPOISON(block, sizeof(FreeBlock));
    free_[index] = block->next;
    ORVEX_POISON(block, classBytes(index));
    ORVEX_UNPOISON(block, size);
    return block;
}

void SmallAllocator::givePoisoned(FreeBlock* block, std::size_t index) noexcept {
    ORVEX_UNPOISON(block, sizeof(FreeBlock));
    block->next = free_[index];
    free_[index] = block;
    ORVEX_POISON(block, classBytes(index));
}

void* SmallAllocator::allocateLarge(std::size_t size) {
    if (size > SIZE_MAX - largePageSize) throw std::bad_alloc();
    const bool pages = size >= largeArray;
    const std::size_t bytes = pages ? wholeLargePages(size) : size;
    charge(bytes);
    void* block = pages ? allocateLargeBlock(bytes) : std::malloc(bytes);
    if (!block) throw std::bad_alloc();
    try {
        large_.emplace(block, bytes);
    } catch (...) {
        freeBlockOf(block, bytes);
        throw;
    }
    held_ += bytes;
    return block;
}

void SmallAllocator::releaseLarge(void* block, std::size_t size) noexcept {
    const std::size_t bytes = size >= largeArray ? wholeLargePages(size) : size;
    held_ -= bytes;
    large_.erase(block);
    freeBlockOf(block, bytes);
}
