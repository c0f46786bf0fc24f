// The heap of all objects.
#include "vm/object/Heap.h"

#include "vm/object/Object.h"

Heap& Heap::instance() {
    static Heap heap;
    return heap;
}

Heap::~Heap() {
    clear();
}

void Heap::clear() {
    system_ = nullptr;
    for (Object* object : objects_)
        delete object;
    objects_.clear();
    waiters_.clear();
}
