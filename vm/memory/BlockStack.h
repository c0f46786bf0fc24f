// The memory of a deep stack: its elements in blocks of a fixed power of two from the pool, which
// never move. A stack a million deep grows without copying itself, an element keeps its address
// while it is on the stack, and one is found by its index with a shift and a mask. A block may carry
// a header before its elements.
//
// The owner keeps the count and makes and destroys the elements; this keeps the blocks. A block goes
// once the stack is a whole block below it, so a call and its return at a block's edge do not take
// and give back a block each time.
#pragma once

#include <cstddef>
#include <vector>

#include "vm/memory/SmallAllocator.h"

struct NoBlockHeader {};

template <class T, std::size_t shift, class Header = NoBlockHeader> class BlockStack {
  public:
    static constexpr std::size_t perBlock = std::size_t{1} << shift;

    struct Block {
        [[no_unique_address]] Header header;
        alignas(T) unsigned char entries[perBlock * sizeof(T)];

        T* entry(std::size_t slot) { return reinterpret_cast<T*>(entries + slot * sizeof(T)); }
        // The block of the element at place 0.
        static const Block& of(const T* first) {
            return *reinterpret_cast<const Block*>(reinterpret_cast<const unsigned char*>(first) -
                                                   offsetof(Block, entries));
        }
    };
    static_assert(sizeof(Block) <= SmallAllocator::largest, "a block is a small block from the pool");

    BlockStack() = default;
    ~BlockStack() {
        for (Block* block : blocks_)
            SmallAllocator::release(block, sizeof(Block));
    }
    BlockStack(const BlockStack&) = delete;
    BlockStack& operator=(const BlockStack&) = delete;

    // The place of the element at index, and its block.
    T* at(std::size_t index) const { return blockOf(index).entry(index & (perBlock - 1)); }
    Block& blockOf(std::size_t index) const { return *blocks_[index >> shift]; }
    // The block that the element at index goes into, made when the stack holds count = index
    // elements and has no room for one more.
    Block& blockFor(std::size_t index) {
        if (index == blocks_.size() * perBlock) [[unlikely]] {
            makeRoomForOne(blocks_);
            blocks_.push_back(static_cast<Block*>(SmallAllocator::allocate(sizeof(Block))));
        }
        return blockOf(index);
    }
    // The place for the element at index, made when needed (as blockFor).
    T* placeFor(std::size_t index) { return blockFor(index).entry(index & (perBlock - 1)); }
    // The stack holds count elements now, one fewer than before.
    void shrunkTo(std::size_t count) {
        if (blocks_.size() > count / perBlock + 2) [[unlikely]] {
            SmallAllocator::release(blocks_.back(), sizeof(Block));
            blocks_.pop_back();
        }
    }

  private:
    std::vector<Block*, SmallBlocks<Block*>> blocks_;
};
