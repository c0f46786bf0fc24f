// The name index of a thread.
#include "vm/runtime/NameIndex.h"

#include <bit>

// To the next power of two: a loop that makes a new name at every turn grows the index once per
// doubling, not at every name.
void NameIndex::makeRoom(std::uint32_t id) {
    const std::size_t size = std::bit_ceil(std::size_t{id} + 1);
    topDepths_.resize(size);
    names_.resize(size);
    size_ = static_cast<std::uint32_t>(size);
}

void NameIndex::setBottom(const Symbol& name, Reference* reference) {
    if (name.id >= size_) makeRoom(name.id);
    names_[name.id].bottom = reference;
}

std::ptrdiff_t NameIndex::depthOf(const Symbol& name) const {
    if (name.id >= size_) return -1;
    const Entry& entry = names_[name.id];
    if (entry.top) return topDepths_[name.id];
    return entry.bottom ? 0 : -1;
}
