// The interpreter thread: a stack of contexts and the waiting mark.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "vm/runtime/Context.h"

class ThreadPool;
class Reference;

class Thread {
public:
    explicit Thread(ThreadPool* pool);
    // Frees the contexts pushed by pushNewContext; the bottom one belongs to its creator.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void pushContext(Context* context);
    void pushNewContext();
    // Destroys the top context (not the bottom one, which its creator owns).
    void popContext();
    Context* currentContext() const { return contexts_.empty() ? nullptr : contexts_.back(); }
    std::size_t depth() const { return contexts_.size(); }

    // The innermost binding of name to a reference. Constant time whatever the stack's depth:
    // every name keeps its own stack of bindings.
    Reference* lookup(std::string_view name) const;
    // The context in which lookup(name) finds its reference.
    Context* contextOf(std::string_view name) const;

    bool waiting() const { return waiting_; }
    void setWaiting(bool waiting) { waiting_ = waiting; }
    ThreadPool* pool() const { return pool_; }

private:
    friend class Context;
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    // The thread's entry for name, made on first use; entries are never erased, so a pointer to
    // one stays valid for the thread's life.
    NameEntry& entry(std::string_view name);
    void index(Context* context, NameEntry& entry, Reference* reference);
    void unindex(Context* context, NameEntry& entry);
    const NameSlot* slot(std::string_view name) const;

    // The names a program uses over and over ("nil", "String", "params") sit in a small
    // direct-mapped cache: the index itself grows with every literal ever bound and misses the
    // processor's caches. Slots are never erased, so a cached pointer stays valid.
    struct CachedSlot {
        std::size_t hash = 0;
        const std::string* name = nullptr;
        const NameSlot* slot = nullptr;
    };
    static constexpr std::size_t cacheSize = 256;

    std::vector<Context*> contexts_;
    std::unordered_map<std::string, NameSlot, NameHash, std::equal_to<>> names_;
    mutable CachedSlot cache_[cacheSize];
    bool waiting_ = false;
    ThreadPool* pool_;
};
