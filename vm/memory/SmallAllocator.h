// All the memory of one runtime: small blocks carved from large chunks and recycled through one
// free list per size, and the large blocks beside them. The interpreter makes and drops frames,
// bindings, references and objects by the million, most of them a few dozen bytes; the
// general-purpose allocator spends as much on its bookkeeping as on the blocks, and a deep
// recursion that keeps every frame alive pays its slow path at every call.
//
// Every byte a runtime holds comes from its allocator, so the allocator can count them against a
// limit, and freeing the runtime is giving back the chunks and large blocks whole: nothing it made
// is destroyed one by one, and a run cut anywhere, even inside a statement, leaves nothing that
// freeing could trip over.
//
// The allocator in use is the current runtime's on this OS thread (`Use`): objects, frames and
// containers allocate through the static functions without carrying a pointer to it.
#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/ThreadPointer.h"

// AddressSanitizer, as GCC and clang each say it is on.
#if defined(__SANITIZE_ADDRESS__)
#define ORVEX_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVEX_ADDRESS_SANITIZER 1
#endif
#endif

// Thrown when a block would take the runtime's memory past its limit. A bad_alloc: whatever ends a
// run that runs out of memory ends it on the limit too.
struct MemoryLimitReached : std::bad_alloc {
    const char* what() const noexcept override { return "the runtime's memory limit was reached"; }
};

class SmallAllocator {
  public:
    static constexpr std::size_t largest = 1024; // bigger requests are large blocks

    SmallAllocator() = default;
    // Gives back every chunk and every large block.
    ~SmallAllocator();
    SmallAllocator(const SmallAllocator&) = delete;
    SmallAllocator& operator=(const SmallAllocator&) = delete;

    // Puts allocator in use on this OS thread and answers the one it replaces.
    static SmallAllocator* exchangeCurrent(SmallAllocator* allocator) { return Current::exchange(allocator); }

    static void* allocate(std::size_t size) { return Current::get()->take(size); }
    static void release(void* block, std::size_t size) noexcept {
        if (block) Current::get()->give(block, size);
    }
    // Bytes that stay as long as the runtime, laid end to end in the chunks (symbol texts).
    static void* carveForever(std::size_t size);

    // Every byte taken from the system: chunks whole, large blocks as asked.
    std::size_t bytesHeld() const { return held_; }
    // 0: no limit. A limit below what is held already stops the next chunk or large block.
    void setLimit(std::size_t bytes) { limit_ = bytes; }

  private:
    using Current = ThreadPointer<SmallAllocator>;
    // Sizes in steps of eight: a frame of five 24-byte bindings takes 120 bytes, not 128, and no
    // class the pool serves asks for more than eight-byte alignment.
    static constexpr std::size_t granule = 8;
    static constexpr std::size_t classes = largest / granule;
#if defined(ORVEX_ADDRESS_SANITIZER)
    // Under AddressSanitizer a free block and the rest of a chunk are poisoned, and every block is
    // followed by a poisoned zone, so a stale pointer or a read past a block's end is caught in the
    // pool that ships.
    static constexpr bool poisoned = true;
    static constexpr std::size_t redZone = 16;
#else
    static constexpr bool poisoned = false;
    static constexpr std::size_t redZone = 0;
#endif
    struct FreeBlock {
        FreeBlock* next;
    };
    // The chunks are linked through their first bytes, to be given back at the end.
    struct Chunk {
        Chunk* next;
        std::size_t size;
    };
    static std::size_t classOf(std::size_t size) {
        return (size - (size != 0)) / granule;
    }
    static std::size_t classBytes(std::size_t index) {
        return (index + 1) * granule;
    }

    void* take(std::size_t size) {
        if (size > largest) return allocateLarge(size);
        const std::size_t index = classOf(size);
        if (FreeBlock* block = free_[index]) {
            if constexpr (poisoned) return takeFreePoisoned(block, index, size);
            free_[index] = block->next;
            return block;
        }
        return carveBlock(classBytes(index), size);
    }
    void give(void* block, std::size_t size) noexcept {
        if (size > largest) return releaseLarge(block, size);
        const std::size_t index = classOf(size);
        auto* freed = static_cast<FreeBlock*>(block);
        if constexpr (poisoned) return givePoisoned(freed, index);
        freed->next = free_[index];
        free_[index] = freed;
    }
    void* takeFreePoisoned(FreeBlock* block, std::size_t index, std::size_t size);
    void givePoisoned(FreeBlock* block, std::size_t index) noexcept;
    // A block of bytes from the current chunk (a new one when it is spent), of which size are used.
    void* carveBlock(std::size_t bytes, std::size_t size);
    void newChunk(std::size_t atLeast);
    // The arrays that grow with a run (the name index, the symbols, a deep frame); once they are
    // megabytes, whole large pages.
    void* allocateLarge(std::size_t size);
    void releaseLarge(void* block, std::size_t size) noexcept;
    // Counts bytes about to be taken from the system against the limit.
    void charge(std::size_t bytes);

    FreeBlock* free_[classes] = {};
    char* chunk_ = nullptr;
    std::size_t left_ = 0;
    std::size_t chunksMade_ = 0;
    Chunk* chunks_ = nullptr;
    std::unordered_map<void*, std::size_t> large_; // the bytes of each
    std::size_t held_ = 0;
    std::size_t limit_ = 0;
};

// Classes whose objects come from the runtime's allocator. Deleting through a base with a virtual
// destructor passes the size of the object's own class, so the block goes back to the right list.
struct SmallObject {
    static void* operator new(std::size_t size) { return SmallAllocator::allocate(size); }
    static void operator delete(void* block, std::size_t size) noexcept {
        SmallAllocator::release(block, size);
    }
};

// The same for the arrays of standard containers, large ones included.
template <class T> struct SmallBlocks {
    using value_type = T;
    SmallBlocks() = default;
    template <class U> SmallBlocks(const SmallBlocks<U>&) noexcept {}
    T* allocate(std::size_t n) {
        static_assert(alignof(T) <= 8, "the pool's blocks are eight-byte aligned");
        return static_cast<T*>(SmallAllocator::allocate(n * sizeof(T)));
    }
    void deallocate(T* block, std::size_t n) noexcept { SmallAllocator::release(block, n * sizeof(T)); }
    template <class U> bool operator==(const SmallBlocks<U>&) const noexcept { return true; }
};

// Room for one more element, made as push_back would make it: what is pushed after this cannot
// fail, so an object made in between is never left out of the list that should hold it.
template <class Vector> void makeRoomForOne(Vector& vector) {
    if (vector.size() == vector.capacity()) vector.reserve(vector.capacity() < 8 ? 8 : vector.capacity() * 2);
}

// A string in the runtime's memory: the texts a runtime keeps (an image, a copy of code, a name
// with escapes) go with it.
using Text = std::basic_string<char, std::char_traits<char>, SmallBlocks<char>>;
