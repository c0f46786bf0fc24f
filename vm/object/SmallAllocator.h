// Small blocks carved from large chunks and recycled through one free list per size. The interpreter
// makes and drops frames, bindings, references and objects by the million, most of them a few dozen
// bytes; the general-purpose allocator spends as much on its bookkeeping as on the blocks, and a
// deep recursion that keeps every frame alive pays its slow path at every call.
#pragma once

#include <cstddef>
#include <new>

class SmallAllocator {
  public:
    static constexpr std::size_t largest = 1024; // bigger requests go to the general allocator

    static void* allocate(std::size_t size) {
        if (!pooled || size == 0) return ::operator new(size);
        if (size > largest) return allocateLarge(size);
        std::size_t index = classOf(size);
        if (FreeBlock* block = free_[index]) {
            free_[index] = block->next;
            return block;
        }
        return carve((index + 1) * granule);
    }
    static void release(void* block, std::size_t size) noexcept {
        if (!block) return;
        if (!pooled || size == 0) return ::operator delete(block);
        if (size > largest) return releaseLarge(block, size);
        std::size_t index = classOf(size);
        auto* freed = static_cast<FreeBlock*>(block);
        freed->next = free_[index];
        free_[index] = freed;
    }

    // Bytes that live as long as the process, laid end to end in the chunks (symbol texts):
    // pooled builds only, since they are never given back.
    static void* carveForever(std::size_t size) { return carve((size + granule - 1) / granule * granule); }

#if defined(__SANITIZE_ADDRESS__)
    // Under AddressSanitizer every block is its own allocation, so a stale pointer is caught.
    static constexpr bool pooled = false;
#else
    static constexpr bool pooled = true;
#endif

  private:
    // Sizes in steps of eight: a frame of five 24-byte bindings takes 120 bytes, not 128, and no
    // class the pool serves asks for more than eight-byte alignment.
    static constexpr std::size_t granule = 8;
    struct FreeBlock {
        FreeBlock* next;
    };
    static std::size_t classOf(std::size_t size) {
        return (size + granule - 1) / granule - 1;
    }
    // Beyond the pool: the arrays of the index, the symbols and the heap, which grow with a run,
    // are given large pages once they are megabytes.
    static void* allocateLarge(std::size_t size);
    static void releaseLarge(void* block, std::size_t size) noexcept;
    // A new block from the current chunk, or from a new one. Chunks are never given back: objects
    // still alive at exit may be deleted after every static destructor has run.
    static void* carve(std::size_t size);

    // Plain pointers, initialized before any code runs and never destroyed.
    static constinit inline FreeBlock* free_[largest / granule] = {};
    static constinit inline char* chunk_ = nullptr;
    static constinit inline std::size_t left_ = 0;
    static constinit inline std::size_t chunksMade_ = 0;
};

// Classes whose objects come from the small allocator. Deleting through a base with a virtual
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
