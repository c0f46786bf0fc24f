// The heap owns every object of the world. Objects are never freed one by one: <delete> only
// kills an object, so any reference left to it stays valid until the heap is cleared at exit.
#pragma once

#include <deque>
#include <unordered_map>
#include <utility>
#include <vector>

#include "vm/object/SmallAllocator.h"

class Object;
class Thread;

class Heap {
  public:
    static Heap& instance();

    template <class T, class... Args> T* make(Args&&... args) {
        T* object = new T(std::forward<Args>(args)...);
        objects_.push_back(object);
        return object;
    }

    // The System object, whose <objects> member is the registry new objects register in.
    Object* system() const { return system_; }
    void setSystem(Object* system) { system_ = system; }

    // The threads suspended on an object by <enter>, last in first out. Few objects are ever
    // entered, so the stacks are kept here rather than in every object.
    std::vector<Thread*>& waitersOf(const Object* object) { return waiters_[object]; }
    void dropWaiters(const Object* object) { waiters_.erase(object); }

    // Frees every object. Counts are not kept up on the way: nothing reads them any more.
    void clear();

  private:
    Heap() = default;
    ~Heap();
    // In blocks: a list of millions of objects grows without copying itself or doubling its room.
    std::deque<Object*, SmallBlocks<Object*>> objects_;
    std::unordered_map<const Object*, std::vector<Thread*>> waiters_;
    Object* system_ = nullptr;
};
