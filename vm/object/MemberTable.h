// The members of one object, in key order. Most objects hold a handful of members (a parameter
// object three, a string two), so they live in one small sorted array; an object that grows into
// a dictionary (the registry) moves to a tree.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Object;

// One member. Every member counts on its target except the object registry's entries, which are
// registry references and leave the count alone.
struct Member {
    Object* target;
    bool counted;
};

class MemberTable {
  public:
    Member* find(std::string_view key);
    // False, and nothing stored, when key is present.
    bool insert(std::string_view key, Member member);
    bool erase(std::string_view key, Member& removed);
    bool popFirst(Member& removed);

    Member* first();
    // The member after key in key order; null when key is absent or last.
    Member* after(std::string_view key);
    // The first member, in key order, that refers to target; and the one after it.
    Member* findTarget(const Object* target);
    Member* afterTarget(const Object* target);

    std::size_t size() const { return large_ ? large_->size() : small_.size(); }
    bool empty() const { return size() == 0; }
    void clear();

    template <class Visit> void forEach(Visit visit) const {
        if (large_)
            for (const auto& [key, member] : *large_)
                visit(key, member);
        else
            for (const auto& [key, member] : small_)
                visit(key, member);
    }

  private:
    using Entry = std::pair<std::string, Member>;
    using Tree = std::map<std::string, Member, std::less<>>;
    static constexpr std::size_t smallLimit = 16;

    std::vector<Entry>::iterator lowerBound(std::string_view key);

    std::vector<Entry> small_; // sorted by key, used while large_ is null
    std::unique_ptr<Tree> large_;
};
