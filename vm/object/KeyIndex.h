// The members of the registry while nobody asks for them in key order. The registry takes an entry
// for nearly every object a program makes, under a key that is most often a text just made (a
// number, an identifier): keeping such keys sorted, in a tree, took a search through cache lines all
// over the tree at every insert, the dearest thing in making an object. Here a member is found by its
// key's number, in a table indexed directly by that number (numbers are dense, and nearly every
// symbol keys an entry), and the entries lie in the order they came, a removed one replaced by the
// last. The table holding it moves its members into a tree the first time something walks them in
// key order.
#pragma once

#include <cstdint>
#include <vector>

#include "vm/memory/SmallAllocator.h"
#include "vm/object/Member.h"
#include "vm/symbols/Symbol.h"

class KeyIndex : public SmallObject {
  public:
    Member* find(const Symbol& key) {
        const std::uint32_t place = key.id < places_.size() ? places_[key.id] : 0;
        return place ? &members_[place - 1] : nullptr;
    }
    // False, and nothing stored, when key is present.
    bool insert(const Symbol& key, Member member);
    bool erase(const Symbol& key, Member& removed);
    std::size_t size() const { return members_.size(); }

    // Visits (key number, member) in no particular order.
    template <class Visit> void forEach(Visit visit) const {
        for (std::size_t i = 0; i < members_.size(); ++i)
            visit(keys_[i], members_[i]);
    }
    // Whether every entry is found by its key, and nothing else is; for tests.
    bool validate() const;

  private:
    // By key number: the entry's position plus one, or 0.
    std::vector<std::uint32_t, SmallBlocks<std::uint32_t>> places_;
    std::vector<Member, SmallBlocks<Member>> members_;
    std::vector<std::uint32_t, SmallBlocks<std::uint32_t>> keys_;
};
