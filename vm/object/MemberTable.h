// The members of one object, in key order. Most objects hold a handful of members (a parameter
// object three, a string two), so they live in one small array sorted by key, searched by the key's
// address alone; an object that grows into a dictionary (the registry) moves to a tree.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "vm/object/SmallAllocator.h"
#include "vm/object/Symbol.h"

class Object;

// One member. Every member counts on its target except the object registry's entries, which are
// registry references and leave the count alone. The kind rides in the target pointer's low bit,
// so a member is one word and the members of a small object fit inside the object.
class Member {
  public:
    Member() = default;
    Member(Object* target, bool counted)
        : bits_(reinterpret_cast<std::uintptr_t>(target) | (counted ? 0u : uncountedBit)) {}
    Object* target() const { return reinterpret_cast<Object*>(bits_ & ~uncountedBit); }
    bool counted() const { return (bits_ & uncountedBit) == 0; }

  private:
    static constexpr std::uintptr_t uncountedBit = 1;
    std::uintptr_t bits_ = 0;
};

class MemberTable {
  public:
    MemberTable() {}
    ~MemberTable() { clear(); }
    MemberTable(const MemberTable&) = delete;
    MemberTable& operator=(const MemberTable&) = delete;

    // Keys are symbols, one per text, so an array is searched by address: a few pointer
    // comparisons, inline, on the path of every lookup up a <super> chain.
    Member* find(const Symbol& key) {
        if (mode_ == Mode::Tree) return findLarge(key);
        Entry* entries = array();
        for (std::uint32_t i = 0; i < size_; ++i)
            if (entries[i].key == &key) return &entries[i].member;
        return nullptr;
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
    void clear();

    // Visits (key symbol, member) in key order.
    template <class Visit> void forEach(Visit visit) const {
        if (mode_ == Mode::Tree)
            for (const auto& [key, member] : *tree_)
                visit(*key.symbol, member);
        else
            for (std::uint32_t i = 0; i < size_; ++i)
                visit(*array()[i].key, array()[i].member);
    }

  private:
    struct Entry {
        const Symbol* key;
        Member member;
    };
    // A tree key carries its symbol's first bytes, so a search through a large table compares keys
    // without visiting their symbols, which lie elsewhere in memory.
    struct TreeKey {
        std::uint64_t prefix;
        const Symbol* symbol;
        explicit TreeKey(const Symbol* s) : prefix(s->prefix), symbol(s) {}
        bool operator<(const TreeKey& other) const {
            if (prefix != other.prefix) return prefix < other.prefix;
            return symbol != other.symbol && symbol->text < other.symbol->text;
        }
    };
    using Tree = std::map<TreeKey, Member, std::less<>, SmallBlocks<std::pair<const TreeKey, Member>>>;
    // Two members (<id> and <super>, what most objects ever hold) live in the table itself; up to
    // sixteen in an array sorted by key text; more in a tree.
    enum class Mode : std::uint8_t { Inline, Array, Tree };
    static constexpr std::uint32_t inlineCapacity = 2;
    static constexpr std::uint32_t arrayLimit = 16;

    Entry* array() { return mode_ == Mode::Inline ? inline_ : heap_; }
    const Entry* array() const { return mode_ == Mode::Inline ? inline_ : heap_; }
    // The position of key in the array, or size_.
    std::uint32_t indexOf(const Symbol& key) const;
    Member* findLarge(const Symbol& key);
    void grow();
    void moveToTree();
    void removeAt(std::uint32_t at, Member& removed);

    union {
        Entry inline_[inlineCapacity];
        Entry* heap_;
        Tree* tree_;
    };
    std::uint32_t size_ = 0; // entries in the array (inline or on the heap)
    std::uint16_t capacity_ = inlineCapacity;
    Mode mode_ = Mode::Inline;
};
