// The interpreter thread: a stack of contexts over the global one, the index of their bindings,
// and the waiting mark.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "vm/runtime/Context.h"
#include "vm/runtime/NameIndex.h"
#include "vm/runtime/Reference.h"

class ThreadPool;

class Thread {
  public:
    // Made with its bottom context, the pool's global context, in which the world is bound.
    explicit Thread(ThreadPool* pool);
    // Pops every context, the bottom one last.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void pushNewContext();
    // Destroys the top context; the bottom one stays for the thread's life.
    void popContext();
    Context currentContext() const { return Context(*self(), contexts_.back(), contexts_.size() - 1); }
    Context bottomContext() const { return Context(*self(), contexts_[0], 0); }
    std::size_t depth() const { return contexts_.size(); }

    // The innermost binding of name. Constant time whatever the stack's depth.
    Reference* lookup(const Symbol& name) const {
        Reference* found = index_.lookup(name);
        if (Context::isStandIn(found)) [[unlikely]]
            return madeReference(name);
        return found;
    }
    // The object that lookup(name)'s reference targets, or null, without making a stand-in's
    // reference: the way of a name that is only read.
    Object* lookupObject(const Symbol& name) const {
        Reference* found = index_.lookup(name);
        if (Object* target = Context::standInTarget(found)) return target;
        if (Context::isStandIn(found)) [[unlikely]]
            return madeObject(name);
        return found ? found->target() : nullptr;
    }
    // The same by text, for tests and tools: a text never made a symbol is bound to nothing.
    Reference* lookup(std::string_view text) const {
        const Symbol* name = SymbolTable::current().find(text);
        return name ? lookup(*name) : nullptr;
    }
    // The context in which lookup(name) finds its reference.
    std::optional<Context> contextOf(const Symbol& name) const {
        std::ptrdiff_t depth = index_.depthOf(name);
        if (depth < 0) return std::nullopt;
        const auto at = static_cast<std::size_t>(depth);
        return Context(*self(), contexts_[at], at);
    }

    // Where <invoke> writes its answer: the same memory from one call to the next, so a text built
    // piece by piece takes no block of the heap at every piece. The runtime's.
    std::string& answerBuffer() const;

    bool waiting() const { return waiting_; }
    void setWaiting(bool waiting) { waiting_ = waiting; }
    ThreadPool* pool() const { return pool_; }

  private:
    // A context reads the index, and the context a binding of its hides.
    friend class Context;
    // Unbinds the top context and drops it.
    void dropTop();
    // The reference made for the stand-in that is name's innermost binding, and its target: apart
    // from the lookups, so that they stay a few instructions with no frame of their own.
    Reference* madeReference(const Symbol& name) const;
    [[gnu::returns_nonnull]] Object* madeObject(const Symbol& name) const;
    // A const thread still hands out its contexts to bind in.
    Thread* self() const { return const_cast<Thread*>(this); }

    NameIndex index_;
    Context::Stack contexts_;
    bool waiting_ = false;
    ThreadPool* pool_;
};
