// The name index of a thread.
#include "vm/runtime/NameIndex.h"

#include "vm/runtime/Context.h"

NameIndex::Entry& NameIndex::entry(std::string_view name) {
    auto it = names_.find(name);
    if (it == names_.end()) it = names_.emplace(std::string(name), Bindings{}).first;
    return *it;
}

const NameIndex::Bindings* NameIndex::find(std::string_view name) const {
    std::size_t hash = Hash{}(name);
    Cached& cached = cache_[hash % cacheSize];
    if (cached.bindings && cached.hash == hash && *cached.name == name) return cached.bindings;
    auto it = names_.find(name);
    if (it == names_.end()) return nullptr;
    cached = Cached{hash, &it->first, &it->second};
    return &it->second;
}

void NameIndex::bind(Entry& entry, Context* context, Reference* reference) {
    Bindings& bindings = entry.second;
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

void NameIndex::unbind(Entry& entry, const Context* context) {
    Bindings& bindings = entry.second;
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

Reference* NameIndex::lookup(std::string_view name) const {
    const Bindings* bindings = find(name);
    if (!bindings) return nullptr;
    return bindings->stacked.empty() ? bindings->bottom : bindings->stacked.back().reference;
}

Context* NameIndex::contextOf(std::string_view name) const {
    const Bindings* bindings = find(name);
    if (!bindings) return nullptr;
    if (!bindings->stacked.empty()) return bindings->stacked.back().context;
    return bindings->bottom ? bottom_ : nullptr;
}

Reference* NameIndex::boundIn(std::string_view name, const Context* context) const {
    const Bindings* bindings = find(name);
    if (!bindings) return nullptr;
    if (context->depth() == 0) return bindings->bottom;
    for (auto it = bindings->stacked.rbegin(); it != bindings->stacked.rend(); ++it) {
        if (it->context == context) return it->reference;
        if (it->context->depth() < context->depth()) break;
    }
    return nullptr;
}
