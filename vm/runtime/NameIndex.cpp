// The name index of a thread.
#include "vm/runtime/NameIndex.h"

NameIndex::Shadowed NameIndex::push(const Symbol& name, std::uint32_t depth, Reference* reference) {
    if (name.id >= names_.size()) names_.resize(name.id + 1);
    Entry& entry = names_[name.id];
    Shadowed hidden{entry.top, entry.topDepth};
    entry.top = reference;
    entry.topDepth = depth;
    return hidden;
}

void NameIndex::setBottom(const Symbol& name, Reference* reference) {
    if (name.id >= names_.size()) names_.resize(name.id + 1);
    names_[name.id].bottom = reference;
}

std::ptrdiff_t NameIndex::depthOf(const Symbol& name) const {
    if (name.id >= names_.size()) return -1;
    const Entry& entry = names_[name.id];
    if (entry.top) return entry.topDepth;
    return entry.bottom ? 0 : -1;
}

Reference* NameIndex::boundAt(const Symbol& name, std::uint32_t depth, bool* known) const {
    *known = true;
    if (name.id >= names_.size()) return nullptr;
    const Entry& entry = names_[name.id];
    if (depth == 0) return entry.bottom;
    if (!entry.top || entry.topDepth < depth) return nullptr;
    if (entry.topDepth == depth) return entry.top;
    *known = false;
    return nullptr;
}
