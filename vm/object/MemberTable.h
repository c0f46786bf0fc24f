// The members of one object, in key order. Most objects hold a handful of members (a parameter
// object three, a string two), so they live in one small array sorted by key, searched by the key's
// number alone; an object that grows into a dictionary (the registry) moves to a tree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vm/memory/SmallAllocator.h"
#include "vm/object/KeyIndex.h"
#include "vm/object/KeyTree.h"
#include "vm/symbols/Symbol.h"

class MemberTable {
  public:
    MemberTable() {}
    ~MemberTable() { clear(); }
    MemberTable(const MemberTable&) = delete;
    MemberTable& operator=(const MemberTable&) = delete;

    // Keys are symbols, one per text, so an array is searched by number: a few comparisons, inline,
    // on the path of every lookup up a <super> chain.
    Member* find(const Symbol& key) {
        const std::uint32_t id = key.id;
        if (mode_ == Mode::Inline) {
            if (size_ > 0 && inline_.keys[0] == id) return &inline_.members[0];
            if (size_ > 1 && inline_.keys[1] == id) return &inline_.members[1];
            return nullptr;
        }
        if (mode_ >= Mode::Tree) return mode_ == Mode::Tree ? tree_->find(key) : index_->find(key);
        const auto* keys = reinterpret_cast<const std::uint32_t*>(heap_ + capacity_);
        for (std::uint32_t i = 0; i < size_; ++i)
            if (keys[i] == id) return &heap_[i];
        return nullptr;
    }
    bool contains(const Symbol& key) {
        return mode_ == Mode::Tree ? tree_->contains(key) : find(key) != nullptr;
    }
    // False, and nothing stored, when key is present.
    bool insert(const Symbol& key, Member member);
    // The first two members of an empty table, first's key before second's.
    void putFirstTwo(const Symbol& first, Member a, const Symbol& second, Member b) {
        inline_.members[0] = a;
        inline_.members[1] = b;
        inline_.keys[0] = first.id;
        inline_.keys[1] = second.id;
        size_ = 2;
    }
    bool erase(const Symbol& key, Member& removed);
    bool popFirst(Member& removed);

    Member* first();
    // The member after key in key order; null when key is absent or last.
    Member* after(const Symbol& key);
    // The first member, in key order, that refers to target; and the one after it.
    Member* findTarget(const Object* target);
    Member* afterTarget(const Object* target);

    std::size_t size() const {
        return mode_ == Mode::Tree ? tree_->size() : mode_ == Mode::Indexed ? index_->size() : size_;
    }
    bool empty() const { return size() == 0; }
    // Whether the keys are in order, each once (and the tree's invariants hold); for tests.
    bool validate() const;
    void clear();

    // From now on, members are found by their key's number and put in key order only when something
    // walks them (the registry: see KeyIndex).
    void indexByNumber();
    // An indexed table's members move into a tree: what comes next walks them in key order.
    void putInKeyOrder() {
        if (mode_ == Mode::Indexed) moveIndexToTree();
    }

    // Visits (key symbol, member) in key order; an indexed table's in no particular order.
    template <class Visit> void forEach(Visit visit) const {
        if (mode_ == Mode::Tree) {
            tree_->forEach(visit);
            return;
        }
        const SymbolTable& symbols = SymbolTable::current();
        if (mode_ == Mode::Indexed) {
            index_->forEach(
                [&](std::uint32_t key, const Member& member) { visit(symbols.byNumber(key), member); });
            return;
        }
        for (std::uint32_t i = 0; i < size_; ++i)
            visit(symbols.byNumber(keys()[i]), members()[i]);
    }

  private:
    // Two members (<id> and <super>, what most objects ever hold) live in the table itself; up to
    // sixteen in an array sorted by key text; more in a tree, or an index (the registry). An array keeps its
    // members, then their keys' numbers (the symbols a member key names stay while it does): an object with
    // its two members inline takes 24 bytes for them.
    enum class Mode : std::uint8_t { Inline, Array, Tree, Indexed };
    static constexpr std::uint32_t inlineCapacity = 2;
    static constexpr std::uint32_t arrayLimit = 16;
    static constexpr std::size_t entryBytes = sizeof(Member) + sizeof(std::uint32_t);

    Member* members() { return mode_ == Mode::Inline ? inline_.members : heap_; }
    const Member* members() const { return mode_ == Mode::Inline ? inline_.members : heap_; }
    std::uint32_t* keys() {
        return mode_ == Mode::Inline ? inline_.keys : reinterpret_cast<std::uint32_t*>(heap_ + capacity_);
    }
    const std::uint32_t* keys() const {
        return mode_ == Mode::Inline ? inline_.keys
                                     : reinterpret_cast<const std::uint32_t*>(heap_ + capacity_);
    }
    // The position of key in the array, or size_.
    std::uint32_t indexOf(const Symbol& key) const;
    void grow();
    void moveToTree();
    void moveIndexToTree();
    void removeAt(std::uint32_t at, Member& removed);

    union {
        struct {
            Member members[inlineCapacity];
            std::uint32_t keys[inlineCapacity];
        } inline_;
        Member* heap_; // capacity_ members, then as many keys
        KeyTree* tree_;
        KeyIndex* index_;
    };
    // Bytes, not words: an object's own fields fill the rest of the table's last word.
    std::uint8_t size_ = 0; // entries in the array (inline or on the heap)
    std::uint8_t capacity_ = inlineCapacity;
    Mode mode_ = Mode::Inline;
};
