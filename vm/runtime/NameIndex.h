// The name index of a thread: for every name, its bindings across the stack of contexts, so that a
// lookup costs the same at any depth and a global name is never searched for through the stack.
// Names are symbols, and a symbol's number is its place in the index: no hashing at a lookup.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "vm/object/SmallAllocator.h"
#include "vm/object/Symbol.h"

class Context;
class Reference;

class NameIndex {
  public:
    NameIndex() = default;
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    void bind(const Symbol& name, Context* context, Reference* reference);
    void unbind(const Symbol& name, const Context* context);

    // The innermost binding of name, and the context that holds it.
    Reference* lookup(const Symbol& name) const {
        const Bindings* bindings = find(name);
        if (!bindings) return nullptr;
        return bindings->stacked.empty() ? bindings->bottom : bindings->stacked.back().reference;
    }
    Context* contextOf(const Symbol& name) const;
    // The binding that context holds for name, passing over those of other contexts.
    Reference* boundIn(const Symbol& name, const Context* context) const;

  private:
    struct Holder {
        Context* context;
        Reference* reference;
    };
    // One name's references: the bottom (global) context's apart, since most names found are
    // globals, then those of pushed contexts, innermost last.
    struct Bindings {
        Reference* bottom = nullptr;
        std::vector<Holder, SmallBlocks<Holder>> stacked;
    };
    const Bindings* find(const Symbol& name) const {
        return name.id < names_.size() ? &names_[name.id] : nullptr;
    }

    std::vector<Bindings> names_; // by symbol number
    Context* bottom_ = nullptr;
};
