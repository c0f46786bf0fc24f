// Contexts and their bindings.
#include "vm/runtime/Context.h"

#include <algorithm>

#include "vm/object/Names.h"
#include "vm/runtime/Reference.h"

Context::~Context() {
    for (const Binding& binding : bindings_) {
        if (!binding.reference) continue;
        index_.unbind(*binding.entry, this);
        if (binding.entry->first != names::returnName) binding.reference->release();
        binding.reference->unhold();
    }
}

std::size_t Context::position(std::string_view name) const {
    auto it = std::find_if(bindings_.begin(), bindings_.end(),
                           [&](const Binding& b) { return b.entry->first == name; });
    return static_cast<std::size_t>(it - bindings_.begin());
}

bool Context::isBound(std::string_view name) const {
    if (getReference(name)) return true;
    // A binding to no reference is not in the index: only then are the bindings themselves read.
    return unboundCount_ != 0 && position(name) != bindings_.size();
}

void Context::bind(std::string_view name, Reference* reference) {
    NameIndex::Entry& entry = index_.entry(name);
    if (bindings_.empty()) bindings_.reserve(4); // a call's frame: params, sender, mySelf, return
    bindings_.push_back(Binding{&entry, reference});
    if (!reference) {
        ++unboundCount_;
        return;
    }
    reference->hold();
    index_.bind(entry, this, reference);
}

bool Context::addReference(std::string_view name, Object* target) {
    if (isBound(name)) {
        target->incrementRefCount(); // the refused reference is made and never released
        return false;
    }
    bind(name, new Reference(target));
    return true;
}

bool Context::addSharedReference(std::string_view name, Reference* reference) {
    if (isBound(name)) return false;
    bind(name, reference);
    return true;
}

void Context::discardBinding(std::string_view name) {
    std::size_t at = position(name);
    if (at == bindings_.size()) return;
    Binding binding = bindings_[at];
    bindings_[at] = bindings_.back();
    bindings_.pop_back();
    if (!binding.reference) {
        --unboundCount_;
        return;
    }
    index_.unbind(*binding.entry, this);
    binding.reference->unhold();
}
