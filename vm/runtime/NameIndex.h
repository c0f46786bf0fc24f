// The name index of a thread: for every name, its innermost binding, so that a lookup costs the
// same at any depth and a global name is never searched for through the stack. Names are symbols,
// and a symbol's number is its place in the index: no hashing at a lookup.
//
// Bindings are made in the top context (or the bottom one) and undone innermost first, so each
// name's bindings form a chain: the index holds its head, and every binding keeps the depth of the
// one it shadows, to put back when it goes. A frame costs no memory here beyond its own bindings,
// however deep the stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Assert.h"
#include "vm/memory/SmallAllocator.h"
#include "vm/symbols/Symbol.h"

class Reference;

class NameIndex {
  public:
    NameIndex() = default;
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // Makes reference the innermost binding of name, in the context at depth (above 0), and
    // answers the depth of the binding it hides (0: none).
    std::uint32_t push(const Symbol& name, std::uint32_t depth, Reference* reference) {
        if (name.id >= size_) makeRoom(name.id);
        Entry& entry = names_[name.id];
        std::uint32_t& topDepth = topDepths_[name.id];
        const std::uint32_t hidden = entry.top ? topDepth : 0;
        entry.top = reference;
        topDepth = depth;
        return hidden;
    }
    // Undoes name's innermost binding, in the context at depth, putting back the one it hid: the
    // reference bound in the context at hiddenDepth (0 and null: none).
    void pop(std::uint32_t nameId, std::uint32_t depth, std::uint32_t hiddenDepth, Reference* hidden) {
        Entry& entry = names_[nameId];
        ORVEX_ASSERT(entry.top && topDepths_[nameId] == depth, "only a name's innermost binding is undone");
        static_cast<void>(depth);
        entry.top = hidden;
        topDepths_[nameId] = hiddenDepth;
    }
    // Puts now in place of was, name's binding in the context at depth, where the index holds it.
    void replace(std::uint32_t nameId, std::uint32_t depth, Reference* was, Reference* now) {
        Entry& entry = names_[nameId];
        if (depth == 0) {
            if (entry.bottom == was) entry.bottom = now;
        } else if (entry.top == was && topDepths_[nameId] == depth) {
            entry.top = now;
        }
    }
    // The bottom (global) context's binding, apart: most names found are globals.
    void setBottom(const Symbol& name, Reference* reference);
    void clearBottom(std::uint32_t nameId) { names_[nameId].bottom = nullptr; }

    // The innermost binding of name.
    Reference* lookup(const Symbol& name) const {
        if (name.id >= size_) return nullptr;
        const Entry& entry = names_[name.id];
        return entry.top ? entry.top : entry.bottom;
    }
    // The depth of the context that holds lookup(name), or -1 when name is bound nowhere.
    std::ptrdiff_t depthOf(const Symbol& name) const;
    // The binding of name in the context at depth when the index knows it without reading that
    // context's bindings: *known is false only for a context below name's innermost one.
    Reference* boundAt(const Symbol& name, std::uint32_t depth, bool* known) const {
        *known = true;
        if (name.id >= size_) return nullptr;
        const Entry& entry = names_[name.id];
        if (depth == 0) return entry.bottom;
        if (!entry.top) return nullptr;
        const std::uint32_t topDepth = topDepths_[name.id];
        if (topDepth < depth) return nullptr;
        if (topDepth == depth) return entry.top;
        *known = false;
        return nullptr;
    }

  private:
    // Apart from the push, which binds at every call: an entry for every symbol up to id.
    void makeRoom(std::uint32_t id);
    // What a lookup reads, 16 bytes; the depth of the innermost binding is apart, read when a name
    // is bound or asked for in a given context: a symbol takes 20 bytes here, not 24.
    struct Entry {
        Reference* bottom = nullptr;
        Reference* top = nullptr; // the innermost binding above the bottom context
    };
    std::vector<Entry, SmallBlocks<Entry>> names_;                     // by symbol number
    std::vector<std::uint32_t, SmallBlocks<std::uint32_t>> topDepths_; // the same
    // names_.size(), kept apart: every lookup tests it.
    std::uint32_t size_ = 0;
};
