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
// registry references and leave the count alone.
struct Member {
    Object* target;
    bool counted;
};

class MemberTable {
  public:
    // Keys are symbols, one per text, so the small array is searched by address: a few pointer
    // comparisons, inline, on the path of every lookup up a <super> chain.
    Member* find(const Symbol& key) {
        if (large_) return findLarge(key);
        for (auto& entry : small_)
            if (entry.first == &key) return &entry.second;
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

    std::size_t size() const { return large_ ? large_->size() : small_.size(); }
    bool empty() const { return size() == 0; }
    void clear();

    // Visits (key symbol, member) in key order.
    template <class Visit> void forEach(Visit visit) const {
        if (large_)
            for (const auto& [key, member] : *large_)
                visit(*key.symbol, member);
        else
            for (const auto& [key, member] : small_)
                visit(*key, member);
    }

  private:
    // Unsigned bytes, a proper prefix first: std::string's own order.
    struct ByText {
        bool operator()(const Symbol* a, const Symbol* b) const { return *a < *b; }
    };
    using Entry = std::pair<const Symbol*, Member>;
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
    static constexpr std::size_t smallLimit = 16;

    using Small = std::vector<Entry, SmallBlocks<Entry>>;
    Small::iterator findSmall(const Symbol& key);
    Member* findLarge(const Symbol& key);

    Small small_; // sorted by key text, used while large_ is null
    std::unique_ptr<Tree> large_;
};
