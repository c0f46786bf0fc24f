// The members of one object, in key order. Most objects hold a handful of members (a parameter
// object three, a string two), so they live in one small array sorted by key, searched by the key's
// address alone; an object that grows into a dictionary (the registry) moves to a tree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vm/memory/SmallAllocator.h"
#include "vm/object/KeyTree.h"
#include "vm/symbols/Symbol.h"

class MemberTable {
  public:
    MemberTable() {}
    ~MemberTable() { clear(); }
    MemberTable(const MemberTable&) = delete;
    MemberTable& operator=(const MemberTable&) = delete;

    // Keys are symbols, one per text, so an array is searched by address: a few pointer
    // comparisons, inline, on the path of every lookup up a <super> chain.
    Member* find(const Symbol& key) {
        if (mode_ == Mode::Tree) return tree_->find(key);
        Entry* entries = array();
        for (std::uint32_t i = 0; i < size_; ++i)
            if (entries[i].key == &key) return &entries[i].member;
        return nullptr;
    }
    bool contains(const Symbol& key) {
        return mode_ == Mode::Tree ? tree_->contains(key) : find(key) != nullptr;
    }
    // False, and nothing stored, when key is present.
    bool insert(const Symbol& key, Member member);
    bool erase(const Symbol& key, Member& removed);
    bool popFirst(Member& removed);

    Member* first();
    // The member after key in key order; null when key is absent or last.
    Member* after(const Symbol& key);
    // The first member, in key order, that refers to target; and the one after it.
    Member* findTarget(const Object* target);
    Member* afterTarget(const Object* target);

    std::size_t size() const { return mode_ == Mode::Tree ? tree_->size() : size_; }
    bool empty() const { return size() == 0; }
    // Whether the keys are in order, each once (and the tree's invariants hold); for tests.
    bool validate() const;
    void clear();

    // Visits (key symbol, member) in key order.
    template <class Visit> void forEach(Visit visit) const {
        if (mode_ == Mode::Tree)
            tree_->forEach(visit);
        else
            for (std::uint32_t i = 0; i < size_; ++i)
                visit(*array()[i].key, array()[i].member);
    }

  private:
    struct Entry {
        const Symbol* key;
        Member member;
    };
    // Two members (<id> and <super>, what most objects ever hold) live in the table itself; up to
    // sixteen in an array sorted by key text; more in a tree.
    enum class Mode : std::uint8_t { Inline, Array, Tree };
    static constexpr std::uint32_t inlineCapacity = 2;
    static constexpr std::uint32_t arrayLimit = 16;

    Entry* array() { return mode_ == Mode::Inline ? inline_ : heap_; }
    const Entry* array() const { return mode_ == Mode::Inline ? inline_ : heap_; }
    // The position of key in the array, or size_.
    std::uint32_t indexOf(const Symbol& key) const;
    void grow();
    void moveToTree();
    void removeAt(std::uint32_t at, Member& removed);

    union {
        Entry inline_[inlineCapacity];
        Entry* heap_;
        KeyTree* tree_;
    };
    // Bytes, not words: an object's own fields fill the rest of the table's last word.
    std::uint8_t size_ = 0; // entries in the array (inline or on the heap)
    std::uint8_t capacity_ = inlineCapacity;
    Mode mode_ = Mode::Inline;
};
