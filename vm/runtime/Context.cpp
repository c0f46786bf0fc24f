// Contexts and their bindings.
#include "vm/runtime/Context.h"

#include <algorithm>

#include "vm/object/Names.h"
#include "vm/runtime/Reference.h"

Context::~Context() {
    for (std::uint32_t i = 0; i < size_; ++i) {
        const Binding& binding = bindings_[i];
        if (!binding.reference) continue;
        unindex(binding);
        if (binding.name != names::returnName.id) binding.reference->release();
        binding.reference->unhold();
    }
    SmallAllocator::release(bindings_, capacity_ * sizeof(Binding));
}

void Context::reserve(std::size_t count) {
    if (count <= capacity_) return;
    auto* bindings = static_cast<Binding*>(SmallAllocator::allocate(count * sizeof(Binding)));
    std::copy(bindings_, bindings_ + size_, bindings);
    SmallAllocator::release(bindings_, capacity_ * sizeof(Binding));
    bindings_ = bindings;
    capacity_ = static_cast<std::uint32_t>(count);
}

std::size_t Context::position(const Symbol& name) const {
    std::uint32_t i = 0;
    while (i < size_ && bindings_[i].name != name.id) ++i;
    return i;
}

Reference* Context::getReference(const Symbol& name) const {
    bool known;
    Reference* found = index_.boundAt(name, depth_, &known);
    if (known) return found;
    std::size_t at = position(name);
    return at == size_ ? nullptr : bindings_[at].reference;
}

void Context::unindex(const Binding& binding) {
    if (depth_ == 0)
        index_.clearBottom(binding.name);
    else
        index_.pop(binding.name, NameIndex::Shadowed{binding.shadowed, binding.shadowedDepth});
}

bool Context::isBound(const Symbol& name) const {
    if (getReference(name)) return true;
    // A binding to no reference is not in the index: only then are the bindings themselves read.
    return unboundCount_ != 0 && position(name) != size_;
}

Reference* Context::getReference(std::string_view name) const {
    const Symbol* symbol = SymbolTable::instance().find(name);
    return symbol ? getReference(*symbol) : nullptr;
}

void Context::bind(const Symbol& name, Reference* reference) {
    // A loop keeps a frame alive per iteration, so the frames grow by halves, not doublings: most
    // hold two bindings (a text's params and return) or five (a method's four and a literal).
    if (size_ == capacity_) reserve(size_ < 2 ? 2 : size_ + size_ / 2);
    Binding& binding = bindings_[size_++];
    binding = Binding{reference, nullptr, name.id, 0};
    if (!reference) {
        ++unboundCount_;
        return;
    }
    reference->hold();
    if (depth_ == 0) {
        index_.setBottom(name, reference);
        return;
    }
    NameIndex::Shadowed hidden = index_.push(name, depth_, reference);
    binding.shadowed = hidden.reference;
    binding.shadowedDepth = hidden.depth;
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
    if (at == size_) return;
    Binding binding = bindings_[at];
    bindings_[at] = bindings_[--size_];
    if (!binding.reference) {
        --unboundCount_;
        return;
    }
    unindex(binding);
    binding.reference->unhold();
}
