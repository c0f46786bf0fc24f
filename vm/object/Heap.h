// The heap: the world's objects. <delete> only kills an object, so any reference left to it stays
// valid; a dead object is freed once nothing points at it, between two statements, when no pointer
// to it is left on the native stack either. The rest goes with the runtime's memory.
#pragma once

#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ThreadPointer.h"
#include "vm/memory/SmallAllocator.h"

class Object;
class Thread;

class Heap {
  public:
    Heap() = default;
    // Its memory goes with the runtime's allocator.
    ~Heap() = default;
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    // The heap of the runtime in use on this OS thread.
    static Heap& current() { return *ThreadPointer<Heap>::get(); }
    static Heap* exchangeCurrent(Heap* heap) { return ThreadPointer<Heap>::exchange(heap); }

    // Objects take their memory from the runtime's allocator (Object is a SmallObject).
    template <class T, class... Args> T* make(Args&&... args) { return new T(std::forward<Args>(args)...); }

    // The System object, whose <objects> member is the registry new objects register in.
    Object* system() const { return system_; }
    // The heap points at it for good.
    void setSystem(Object* system);

    // A dead object that nothing points at any more; without room to list it, it stays.
    void noteUnreachable(Object* object) noexcept {
        try {
            unreachable_.push_back(object);
        } catch (...) {
        }
    }
    bool hasUnreachable() const { return !unreachable_.empty(); }
    // At a statement boundary: frees the dead objects that nothing points at.
    void collect();

    // The threads suspended on an object by <enter>, last in first out. Few objects are ever
    // entered, so the stacks are kept here rather than in every object.
    using Waiters = std::vector<Thread*, SmallBlocks<Thread*>>;
    Waiters& waitersOf(const Object* object) { return waiters_[object]; }
    void dropWaiters(const Object* object) { waiters_.erase(object); }

  private:
    std::unordered_map<const Object*, Waiters, std::hash<const Object*>, std::equal_to<const Object*>,
                       SmallBlocks<std::pair<const Object* const, Waiters>>>
        waiters_;
    Object* system_ = nullptr;
    std::vector<Object*, SmallBlocks<Object*>> unreachable_;
};
