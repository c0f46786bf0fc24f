// The name index of a thread: for every name, its bindings across the stack of contexts, so that a
// lookup costs the same at any depth and a global name is never searched for through the stack.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class Context;
class Reference;

class NameIndex {
  public:
    // One name and the references bound to it: the bottom (global) context's apart, since most
    // names found are globals, then those of pushed contexts, innermost last.
    struct Holder {
        Context* context;
        Reference* reference;
    };
    struct Bindings {
        Reference* bottom = nullptr;
        std::vector<Holder> stacked;
    };
    using Entry = std::pair<const std::string, Bindings>;

    NameIndex() = default;
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // The entry of name, made on first use. Entries are never erased, so a context keeps a pointer
    // to the entry of each name it binds: no copy of the name per context, no hashing to unbind.
    Entry& entry(std::string_view name);
    // The entry of name when it was ever bound.
    const Bindings* find(std::string_view name) const;

    void bind(Entry& entry, Context* context, Reference* reference);
    void unbind(Entry& entry, const Context* context);

    // The innermost binding of name, and the context that holds it.
    Reference* lookup(std::string_view name) const;
    Context* contextOf(std::string_view name) const;
    // The binding that context holds for name, passing over those of other contexts.
    Reference* boundIn(std::string_view name, const Context* context) const;

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    // The names a program uses over and over ("nil", "String", "params") sit in a small direct-mapped
    // cache in front of the table, which grows with every literal ever bound and misses the
    // processor's caches. Entries are never erased, so a cached pointer stays valid.
    struct Cached {
        std::size_t hash = 0;
        const std::string* name = nullptr;
        const Bindings* bindings = nullptr;
    };
    static constexpr std::size_t cacheSize = 256;

    std::unordered_map<std::string, Bindings, Hash, std::equal_to<>> names_;
    mutable Cached cache_[cacheSize];
    Context* bottom_ = nullptr;
};
