// Contexts and their bindings.
#include "vm/runtime/Context.h"

#include <algorithm>

#include "vm/runtime/Reference.h"
#include "vm/symbols/Names.h"

void Context::unbindAll() {
    Record& r = *record_;
    for (std::uint32_t i = 0; i < r.size_; ++i) {
        const Binding& binding = r.bindings_[i];
        if (!binding.reference) continue;
        unindex(binding);
        if (binding.name != names::returnName.id) binding.reference->release();
        binding.reference->unhold();
    }
    SmallAllocator::release(r.bindings_, r.capacity_ * sizeof(Binding));
}

void Context::reserve(std::size_t count) {
    Record& r = *record_;
    if (count <= r.capacity_) return;
    auto* bindings = static_cast<Binding*>(SmallAllocator::allocate(count * sizeof(Binding)));
    std::copy(r.bindings_, r.bindings_ + r.size_, bindings);
    SmallAllocator::release(r.bindings_, r.capacity_ * sizeof(Binding));
    r.bindings_ = bindings;
    r.capacity_ = static_cast<std::uint32_t>(count);
}

std::size_t Context::position(const Symbol& name) const {
    const Record& r = *record_;
    std::uint32_t i = 0;
    while (i < r.size_ && r.bindings_[i].name != name.id)
        ++i;
    return i;
}

Reference* Context::getReference(const Symbol& name) const {
    bool known;
    Reference* found = index_->boundAt(name, record_->depth_, &known);
    if (known) return found;
    std::size_t at = position(name);
    return at == record_->size_ ? nullptr : record_->bindings_[at].reference;
}

void Context::unindex(const Binding& binding) {
    if (record_->depth_ == 0)
        index_->clearBottom(binding.name);
    else
        index_->pop(binding.name, record_->depth_,
                    NameIndex::Shadowed{binding.shadowed, binding.shadowedDepth});
}

bool Context::isBound(const Symbol& name) const {
    if (getReference(name)) return true;
    // A binding to no reference is not in the index: only then are the bindings themselves read.
    return record_->unboundCount_ != 0 && position(name) != record_->size_;
}

Reference* Context::getReference(std::string_view name) const {
    const Symbol* symbol = SymbolTable::current().find(name);
    return symbol ? getReference(*symbol) : nullptr;
}

void Context::bind(const Symbol& name, Reference* reference) {
    Record& r = *record_;
    // A loop keeps a frame alive per iteration, so the frames grow by halves, not doublings: most
    // hold two bindings (a text's params and return) or five (a method's four and a literal).
    if (r.size_ == r.capacity_) reserve(r.size_ < 2 ? 2 : r.size_ + r.size_ / 2);
    Binding& binding = r.bindings_[r.size_++];
    binding = Binding{reference, nullptr, name.id, 0};
    if (!reference) {
        ++r.unboundCount_;
        return;
    }
    reference->hold();
    if (r.depth_ == 0) {
        index_->setBottom(name, reference);
        return;
    }
    NameIndex::Shadowed hidden = index_->push(name, r.depth_, reference);
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
    Record& r = *record_;
    std::size_t at = position(name);
    if (at == r.size_) return;
    Binding binding = r.bindings_[at];
    r.bindings_[at] = r.bindings_[--r.size_];
    if (!binding.reference) {
        --r.unboundCount_;
        return;
    }
    unindex(binding);
    binding.reference->unhold();
}
