// Contexts and their bindings.
#include "vm/runtime/Context.h"

#include <algorithm>

#include "vm/runtime/Reference.h"
#include "vm/runtime/Thread.h"

Context::Context() = default;

Context::~Context() {
    for (const Binding& binding : bindings_) {
        if (thread_ && binding.reference) thread_->unindex(this, *binding.entry);
        releaseBinding(binding);
    }
}

void Context::releaseBinding(const Binding& binding) {
    if (!binding.reference) return;
    if (binding.entry->first != "return") binding.reference->release();
    binding.reference->unhold();
}

const Context::Binding* Context::find(std::string_view name) const {
    auto it = std::find_if(bindings_.begin(), bindings_.end(),
                           [&](const Binding& b) { return b.entry->first == name; });
    return it == bindings_.end() ? nullptr : &*it;
}

Reference* Context::getReference(std::string_view name) const {
    if (!thread_) {
        const Binding* binding = find(name);
        return binding ? binding->reference : nullptr;
    }
    const NameSlot* slot = thread_->slot(name);
    if (!slot) return nullptr;
    if (depth_ == 0) return slot->bottom;
    for (auto it = slot->stacked.rbegin(); it != slot->stacked.rend(); ++it) {
        if (it->context == this) return it->reference;
        if (it->context->depth_ < depth_) break;
    }
    return nullptr;
}

bool Context::isBound(std::string_view name) const {
    if (getReference(name)) return true;
    if (unboundCount_ == 0) return false;
    const Binding* binding = find(name);
    return binding != nullptr;
}

void Context::bind(std::string_view name, Reference* reference) {
    NameEntry* entry;
    if (thread_) {
        entry = &thread_->entry(name);
    } else {
        ownEntries_.push_back(std::make_unique<NameEntry>(std::string(name), NameSlot{}));
        entry = ownEntries_.back().get();
    }
    if (bindings_.empty()) bindings_.reserve(4); // a call's frame: params, sender, mySelf, return
    bindings_.push_back(Binding{entry, reference});
    if (!reference) {
        ++unboundCount_;
        return;
    }
    reference->hold();
    if (thread_) thread_->index(this, *entry, reference);
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
    auto it = std::find_if(bindings_.begin(), bindings_.end(),
                           [&](const Binding& b) { return b.entry->first == name; });
    if (it == bindings_.end()) return;
    Binding binding = std::move(*it);
    *it = std::move(bindings_.back());
    bindings_.pop_back();
    if (!binding.reference) {
        --unboundCount_;
        return;
    }
    if (thread_) thread_->unindex(this, *binding.entry);
    binding.reference->unhold();
}
