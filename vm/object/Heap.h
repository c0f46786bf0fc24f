// The heap: the world's objects. Objects are never freed one by one: <delete> only kills an object,
// so any reference left to it stays valid until the runtime, and its memory, goes.
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
    void setSystem(Object* system) { system_ = system; }

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
};
