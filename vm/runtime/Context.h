// Contexts: sets of name bindings with add-if-absent insertion, each at its place on the thread's
// stack, whose name index it keeps up to date. The stack keeps a context as a `Context::Record`
// (its bindings, 16 bytes); a `Context` is a handle that the thread makes on demand, pairing a
// record with its depth and the thread, passed by value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vm/memory/BlockStack.h"
#include "vm/memory/SmallAllocator.h"
#include "vm/runtime/NameIndex.h"

class Object;
class Reference;
class Thread;

class Context {
    // Most bindings are never asked for their reference, only read (a frame's "sender", "mySelf"
    // and "params", the answers bound where they are made): a binding keeps, in place of a
    // reference not made yet, its object with a tag (objects are eight-byte aligned), and the
    // reference is made when a lookup or getReference first asks for it. Such a stand-in counts as
    // its reference would.
    static constexpr std::uintptr_t standInTags = 3;
    static constexpr std::uintptr_t targetTag = 1;     // a counted reference to the object
    static constexpr std::uintptr_t parametersTag = 2; // deferred parameters over the prototype
    static Reference* standIn(Object* object, std::uintptr_t tag) {
        return reinterpret_cast<Reference*>(reinterpret_cast<std::uintptr_t>(object) | tag);
    }
    static Object* objectOf(const Reference* standIn) {
        return reinterpret_cast<Object*>(reinterpret_cast<std::uintptr_t>(standIn) & ~standInTags);
    }
    static std::uintptr_t tagOf(const Reference* reference) {
        return reinterpret_cast<std::uintptr_t>(reference) & standInTags;
    }

    // 16 bytes: the name by its number, and the depth of the binding this one hides in the index
    // (0: none). What it hides is read back from that context when this one goes: bindings are made
    // and removed only at a name's innermost place, so the hidden one stays as it was.
    struct Binding {
        Reference* reference; // or a stand-in
        std::uint32_t name;
        // The top bit: the name is a transient symbol (an answer's text), which the binding holds.
        std::uint32_t shadowedDepth;
    };
    static constexpr std::uint32_t holdsName = std::uint32_t{1} << 31;
    // The depth a binding hides, below the bits a record made of one binding keeps there: the
    // thread's stack stays below that depth (Stack::push).
    static constexpr std::uint32_t maxDepth = (std::uint32_t{1} << 29) - 1;
    static std::uint32_t hiddenDepthOf(const Binding& binding) { return binding.shadowedDepth & maxDepth; }
    // Lets go of the binding's name, if it holds it.
    static void releaseName(const Binding& binding) {
        if (binding.shadowedDepth & holdsName) SymbolTable::current().unholdId(binding.name);
    }

  public:
    // What the thread's stack keeps of a context. A loop keeps a context per iteration alive, so
    // the bindings are a bare array, sized to the frame; and a frame of one binding (a text's
    // params) is that binding alone, in the record's own 16 bytes.
    class Record {
      public:
        Record() = default;
        Record(const Record&) = delete;
        Record& operator=(const Record&) = delete;

      private:
        friend class Context;
        // The record's last word is either its one binding's (which keeps singleBit) or the top
        // bits of the array's capacity: the block holds a table after the bindings; "return" is
        // bound here to no reference (a method called without a target), which takes no binding:
        // the index leaves such a binding out, and it is the only one.
        static constexpr std::uint32_t tableBit = std::uint32_t{1} << 31;
        static constexpr std::uint32_t returnUnboundBit = std::uint32_t{1} << 30;
        static constexpr std::uint32_t singleBit = std::uint32_t{1} << 29;
        static constexpr std::uint32_t capacityBits = singleBit - 1;
        bool single() const { return (word_.shadowedDepth & singleBit) != 0; }
        // The bindings, in place or in the array.
        Binding* bindings() const {
            return single() ? const_cast<Binding*>(&word_) : reinterpret_cast<Binding*>(word_.reference);
        }
        std::uint32_t size() const { return single() ? 1 : word_.name; }
        std::uint32_t capacity() const { return single() ? 1 : word_.shadowedDepth & capacityBits; }
        bool hasTable() const { return !single() && (word_.shadowedDepth & tableBit) != 0; }
        bool returnUnbound() const { return !single() && (word_.shadowedDepth & returnUnboundBit) != 0; }
        // An array's: where it is, how many it holds, its capacity and flags.
        Binding* array() const { return reinterpret_cast<Binding*>(word_.reference); }
        void setArray(Binding* bindings, std::uint32_t size, std::uint32_t capacityAndFlags) {
            word_ = Binding{reinterpret_cast<Reference*>(bindings), size, capacityAndFlags};
        }
        Binding word_{nullptr, 0, 0};
    };

    // The thread's stack of records (a BlockStack): a record is no allocation of its own, and the
    // one at a depth is found with a shift and a mask (a binding that goes reads back the one it
    // hid, below it).
    class Stack {
      public:
        Stack() = default;
        Stack(const Stack&) = delete;
        Stack& operator=(const Stack&) = delete;

        Record& operator[](std::size_t depth) const { return *records_.at(depth); }
        Record& back() const { return (*this)[size_ - 1]; }
        std::size_t size() const { return size_; }
        // A new record on top.
        void push();
        // Drops the top record, whose bindings are gone.
        void pop();

      private:
        BlockStack<Record, 5> records_; // 512 bytes a block
        std::size_t size_ = 0;
    };

    Context(Thread& thread, Record& record, std::size_t depth)
        : thread_(&thread), record_(&record), depth_(static_cast<std::uint32_t>(depth)) {}

    // Releases every binding and the array, right before the thread drops the record; the one named
    // "return" is the caller's and does not count down here.
    void unbindAll();

    // The reference bound to exactly name here, or null (also for a binding to no reference).
    Reference* getReference(const Symbol& name) const;
    // Whether name is bound here, to a reference or to none.
    bool isBound(const Symbol& name) const;
    // Binds name to a new counted reference to target when name is unbound here. A refused
    // reference is not stored, and its count on target stays.
    bool addReference(const Symbol& name, Object* target);
    // The same, for a binding that is mostly only read (a frame's "sender" and "mySelf", a literal):
    // the reference is made when the name's reference is first asked for.
    bool addLazyReference(const Symbol& name, Object* target);
    // Binds name to an existing reference (shared) when name is unbound here, or "return" to none.
    bool addSharedReference(const Symbol& name, Reference* reference);
    // Binds name, when unbound here, to a parameter object not made yet over prototype (Call.h),
    // whose count the caller has taken.
    bool addDeferredParameters(const Symbol& name, Object* prototype);
    // Whether a reference read from the index is a binding's stand-in (below).
    static bool isStandIn(const Reference* reference) { return tagOf(reference) != 0; }
    // The target of a counted reference's stand-in; null for anything else (a reference, none, or
    // deferred parameters, whose object is made with their reference).
    static Object* standInTarget(const Reference* reference) {
        return tagOf(reference) == targetTag ? objectOf(reference) : nullptr;
    }
    // Unbinds name here without releasing its reference's count (the <delete> primitive's way).
    // Name's binding here is its innermost one, or a global one.
    void discardBinding(const Symbol& name);

    // The same by text, for the world's bootstrap and for tests.
    Reference* getReference(std::string_view name) const;
    bool addReference(std::string_view name, Object* target) { return addReference(intern(name), target); }

    std::size_t size() const { return record_->size(); }
    // Room for count bindings in all, made once for a frame whose bindings are known.
    void reserve(std::size_t count);
    // Position on the thread's stack; 0 is the bottom (global) context.
    std::size_t depth() const { return depth_; }

  private:
    // The context that the last binding taken out of the index hid a binding in.
    struct Below {
        const Record* record = nullptr;
        const Binding* bindings = nullptr;
        std::uint32_t size = 0;
        std::uint32_t depth = 0;
    };
    // Takes the binding (at position here) out of the index, putting back what it hid.
    void unindex(const Binding& binding, std::size_t position, Below& below);
    NameIndex& index() const;
    void bind(const Symbol& name, Reference* reference);
    // What is bound to name here, a stand-in included.
    Reference* boundHere(const Symbol& name) const;
    // The reference that the stand-in at position comes to hold, in the index too.
    Reference* makeReference(std::size_t at) const;
    // A binding's end: its reference's count on its target (but for "return", the caller's), and
    // its holder or a stand-in's pointer to its object (letGo alone, for a discarded binding).
    static void release(const Binding& binding);
    static void letGo(const Binding& binding);
    // Whether name is bound here already; then the reference refused counts on target all the same.
    bool refuses(const Symbol& name, Object* target) const;
    // Where name is bound here, or size() when it is not; a small frame is scanned (scan), which
    // the read-back of a hidden binding does inline.
    std::size_t position(std::uint32_t name) const;
    static bool scansBindings(const Record& record);
    static std::size_t scan(const Record& record, std::uint32_t name);
    // The table of a large frame that has been searched (Context.cpp), or null; the slot of name in
    // it (its own, or the empty one where it would go); bytes of a bindings block with room for
    // capacity, and a table or not.
    std::uint32_t* table() const;
    void makeTable() const;
    void fillTable() const;
    std::size_t slotOf(const std::uint32_t* slots, std::uint32_t name) const;
    void tableInsert(std::uint32_t name, std::uint32_t index);
    void tableErase(std::uint32_t name);
    static std::size_t bytesFor(std::uint32_t capacity, bool table);

    Thread* thread_;
    Record* record_;
    std::uint32_t depth_;
};
