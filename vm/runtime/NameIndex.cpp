// The name index of a thread.
#include "vm/runtime/NameIndex.h"

#include "vm/runtime/Context.h"

void NameIndex::bind(const Symbol& name, Context* context, Reference* reference) {
    if (name.id >= names_.size()) names_.resize(name.id + 1);
    Bindings& bindings = names_[name.id];
    if (context->depth() == 0) {
        bindings.bottom = reference;
        bottom_ = context;
        return;
    }
    // Bindings are made in the top context, so this is a push; the search only guards the order.
    auto pos = bindings.stacked.end();
    while (pos != bindings.stacked.begin() && (pos - 1)->context->depth() > context->depth())
        --pos;
    bindings.stacked.insert(pos, Holder{context, reference});
}

void NameIndex::unbind(const Symbol& name, const Context* context) {
    if (name.id >= names_.size()) return;
    Bindings& bindings = names_[name.id];
    if (context->depth() == 0) {
        bindings.bottom = nullptr;
        return;
    }
    for (auto h = bindings.stacked.end(); h != bindings.stacked.begin();) {
        --h;
        if (h->context == context) {
            bindings.stacked.erase(h);
            return;
        }
    }
}

Context* NameIndex::contextOf(const Symbol& name) const {
    const Bindings* bindings = find(name);
    if (!bindings) return nullptr;
    if (!bindings->stacked.empty()) return bindings->stacked.back().context;
    return bindings->bottom ? bottom_ : nullptr;
}

Reference* NameIndex::boundIn(const Symbol& name, const Context* context) const {
    const Bindings* bindings = find(name);
    if (!bindings) return nullptr;
    if (context->depth() == 0) return bindings->bottom;
    for (auto it = bindings->stacked.rbegin(); it != bindings->stacked.rend(); ++it) {
        if (it->context == context) return it->reference;
        if (it->context->depth() < context->depth()) break;
    }
    return nullptr;
}
