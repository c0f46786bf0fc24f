// The interpreter thread and its name index.
#include "vm/runtime/Thread.h"

#include "vm/runtime/Reference.h"

Thread::Thread(ThreadPool* pool) : pool_(pool) {}

Thread::~Thread() {
    while (contexts_.size() > 1) popContext();
    if (contexts_.empty()) return;
    // The bottom context outlives the thread: it takes its names back.
    Context* bottom = contexts_.back();
    for (Context::Binding& binding : bottom->bindings_) {
        bottom->ownEntries_.push_back(std::make_unique<NameEntry>(binding.entry->first, NameSlot{}));
        binding.entry = bottom->ownEntries_.back().get();
    }
    bottom->thread_ = nullptr;
}

void Thread::pushContext(Context* context) {
    context->thread_ = this;
    context->depth_ = contexts_.size();
    contexts_.push_back(context);
    for (Context::Binding& binding : context->bindings_) {
        binding.entry = &entry(binding.entry->first);
        if (binding.reference) index(context, *binding.entry, binding.reference);
    }
    context->ownEntries_.clear();
}

void Thread::pushNewContext() { pushContext(new Context); }

void Thread::popContext() {
    // The bottom context is never popped: it belongs to whoever pushed it first.
    if (contexts_.size() <= 1) return;
    Context* context = contexts_.back();
    delete context; // unindexes its bindings while it is still on the stack
    contexts_.pop_back();
}

const NameSlot* Thread::slot(std::string_view name) const {
    std::size_t hash = NameHash{}(name);
    CachedSlot& cached = cache_[hash % cacheSize];
    if (cached.slot && cached.hash == hash && *cached.name == name) return cached.slot;
    auto it = names_.find(name);
    if (it == names_.end()) return nullptr;
    cached = CachedSlot{hash, &it->first, &it->second};
    return &it->second;
}

Reference* Thread::lookup(std::string_view name) const {
    const NameSlot* s = slot(name);
    if (!s) return nullptr;
    return s->stacked.empty() ? s->bottom : s->stacked.back().reference;
}

Context* Thread::contextOf(std::string_view name) const {
    const NameSlot* s = slot(name);
    if (!s) return nullptr;
    if (!s->stacked.empty()) return s->stacked.back().context;
    return s->bottom ? contexts_.front() : nullptr;
}

NameEntry& Thread::entry(std::string_view name) {
    auto it = names_.find(name);
    if (it == names_.end()) it = names_.emplace(std::string(name), NameSlot{}).first;
    return *it;
}

void Thread::index(Context* context, NameEntry& entry, Reference* reference) {
    NameSlot& s = entry.second;
    if (context->depth_ == 0) {
        s.bottom = reference;
        return;
    }
    // Bindings are made in the top context, so this is a push; the search only guards the order.
    auto pos = s.stacked.end();
    while (pos != s.stacked.begin() && (pos - 1)->context->depth_ > context->depth_) --pos;
    s.stacked.insert(pos, NameSlot::Holder{context, reference});
}

void Thread::unindex(Context* context, NameEntry& entry) {
    NameSlot& s = entry.second;
    if (context->depth_ == 0) {
        s.bottom = nullptr;
        return;
    }
    for (auto h = s.stacked.end(); h != s.stacked.begin();) {
        --h;
        if (h->context == context) {
            s.stacked.erase(h);
            return;
        }
    }
}
