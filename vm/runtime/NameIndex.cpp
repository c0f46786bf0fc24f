// The name index of a thread.
#include "vm/runtime/NameIndex.h"

void NameIndex::makeRoom(std::uint32_t id) {
    names_.resize(std::size_t{id} + 1);
    size_ = id + 1;
}

void NameIndex::setBottom(const Symbol& name, Reference* reference) {
    if (name.id >= size_) makeRoom(name.id);
    names_[name.id].bottom = reference;
}

std::ptrdiff_t NameIndex::depthOf(const Symbol& name) const {
    if (name.id >= size_) return -1;
    const Entry& entry = names_[name.id];
    if (entry.top) return entry.topDepth;
    return entry.bottom ? 0 : -1;
}
