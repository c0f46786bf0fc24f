// Contexts: sets of name bindings with add-if-absent insertion.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vm/runtime/NameSlot.h"

class Object;
class Reference;
class Thread;

class Context {
public:
    Context();
    // Releases every binding; the one named "return" is the caller's and does not count down here.
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // The reference bound to exactly name here, or null (also for a binding to no reference).
    Reference* getReference(std::string_view name) const;
    // Whether name is bound here, to a reference or to none.
    bool isBound(std::string_view name) const;
    // Binds name to a new counted reference to target when name is unbound here. A refused
    // reference is not stored, and its count on target stays.
    bool addReference(std::string_view name, Object* target);
    // Binds name to an existing reference (shared) or to none when name is unbound here.
    bool addSharedReference(std::string_view name, Reference* reference);
    // Unbinds name here without releasing its reference's count (the <delete> primitive's way).
    void discardBinding(std::string_view name);

    std::size_t size() const { return bindings_.size(); }

private:
    friend class Thread;
    // On a thread, a binding's name is the thread's entry for it: no copy of the name per
    // context, and no hashing to unbind it when the context is popped.
    struct Binding {
        NameEntry* entry;
        Reference* reference; // null: bound to no reference
    };
    void bind(std::string_view name, Reference* reference);
    const Binding* find(std::string_view name) const;
    static void releaseBinding(const Binding& binding);

    std::vector<Binding> bindings_;
    std::vector<std::unique_ptr<NameEntry>> ownEntries_; // the names, while on no thread
    std::size_t unboundCount_ = 0; // bindings to no reference, which the thread's index leaves out
    Thread* thread_ = nullptr;     // the thread whose stack holds this context, which indexes it
    std::size_t depth_ = 0;        // position on that stack; 0 is the bottom (global) context
};
