// Contexts and their bindings.
#include "vm/runtime/Context.h"

#include <algorithm>

#include "vm/object/Names.h"
#include "vm/runtime/Reference.h"

Context::~Context() {
    for (const Binding& binding : bindings_) {
        if (!binding.reference) continue;
        index_.unbind(*binding.name, this);
        if (binding.name != &names::returnName) binding.reference->release();
        binding.reference->unhold();
    }
}

std::size_t Context::position(const Symbol& name) const {
    auto it =
        std::find_if(bindings_.begin(), bindings_.end(), [&](const Binding& b) { return b.name == &name; });
    return static_cast<std::size_t>(it - bindings_.begin());
}

bool Context::isBound(const Symbol& name) const {
    if (getReference(name)) return true;
    // A binding to no reference is not in the index: only then are the bindings themselves read.
    return unboundCount_ != 0 && position(name) != bindings_.size();
}

Reference* Context::getReference(std::string_view name) const {
    const Symbol* symbol = SymbolTable::instance().find(name);
    return symbol ? getReference(*symbol) : nullptr;
}

void Context::bind(const Symbol& name, Reference* reference) {
    // A loop keeps a frame alive per iteration, so the frames grow by halves, not doublings: most
    // hold two bindings (a text's params and return) or five (a method's four and a literal).
    if (bindings_.size() == bindings_.capacity())
        bindings_.reserve(bindings_.size() < 2 ? 2 : bindings_.size() + bindings_.size() / 2);
    bindings_.push_back(Binding{&name, reference});
    if (!reference) {
        ++unboundCount_;
        return;
    }
    reference->hold();
    index_.bind(name, this, reference);
}

bool Context::addReference(const Symbol& name, Object* target) {
    if (isBound(name)) {
        target->incrementRefCount(); // the refused reference is made and never released
        return false;
    }
    bind(name, new Reference(target));
    return true;
}

bool Context::addSharedReference(const Symbol& name, Reference* reference) {
    if (isBound(name)) return false;
    bind(name, reference);
    return true;
}

void Context::discardBinding(const Symbol& name) {
    std::size_t at = position(name);
    if (at == bindings_.size()) return;
    Binding binding = bindings_[at];
    bindings_[at] = bindings_.back();
    bindings_.pop_back();
    if (!binding.reference) {
        --unboundCount_;
        return;
    }
    index_.unbind(*binding.name, this);
    binding.reference->unhold();
}
