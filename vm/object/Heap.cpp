// The heap's own work: the System object, and freeing the dead objects nothing points at.
#include "vm/object/Heap.h"

#include <algorithm>

#include "vm/object/Object.h"

void Heap::setSystem(Object* system) {
    system->addPointer();
    system_ = system;
}

// An object may be listed twice (let go of, pointed at and let go of again in one statement), and
// one listed may be pointed at again since: only what is still dead and unpointed goes, once.
void Heap::collect() {
    std::sort(unreachable_.begin(), unreachable_.end());
    unreachable_.erase(std::unique(unreachable_.begin(), unreachable_.end()), unreachable_.end());
    for (Object* object : unreachable_)
        if (object->isDead() && object->unpointed()) object->free();
    unreachable_.clear();
}
