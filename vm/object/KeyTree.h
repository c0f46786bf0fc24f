// The members of a large object in key order: a B+ tree. The registry holds one entry for every
// object a program ever made, so an entry must be small and a search must read few cache lines:
// leaves pack up to 32 entries, each key beside its first eight bytes, and inner nodes pack their
// separators the same way. A search compares prefixes in contiguous arrays and reads a symbol's
// text only when two prefixes tie.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vm/memory/SmallAllocator.h"
#include "vm/object/Member.h"
#include "vm/symbols/Symbol.h"

class KeyTree : public SmallObject {
  public:
    KeyTree();
    ~KeyTree();
    KeyTree(const KeyTree&) = delete;
    KeyTree& operator=(const KeyTree&) = delete;

    Member* find(const Symbol& key);
    bool contains(const Symbol& key);
    // False, and nothing stored, when key is present.
    bool insert(const Symbol& key, Member member);
    bool erase(const Symbol& key, Member& removed);
    bool popFirst(Member& removed);
    std::size_t size() const { return size_; }
    // Whether every invariant of the tree holds (see KeyTree.cpp); for tests, after each edit.
    bool validate() const;

    Member* first();
    // The member after key in key order; null when key is absent or last.
    Member* after(const Symbol& key);

    // Visits (key symbol, member) in key order.
    template <class Visit> void forEach(Visit visit) const {
        for (const Leaf* leaf = firstLeaf_; leaf; leaf = leaf->next)
            for (std::uint32_t i = 0; i < leaf->count; ++i)
                visit(*leaf->keys[i].symbol, leaf->members[i]);
    }
    // The same, with the member writable; stops when visit returns true and gives that member.
    template <class Visit> Member* findIf(Visit visit) {
        for (Leaf* leaf = firstLeaf_; leaf; leaf = leaf->next)
            for (std::uint32_t i = 0; i < leaf->count; ++i)
                if (visit(leaf->members[i])) return &leaf->members[i];
        return nullptr;
    }
    // The member after the first one for which visit returns true.
    template <class Visit> Member* afterFirst(Visit visit) {
        for (Leaf* leaf = firstLeaf_; leaf; leaf = leaf->next)
            for (std::uint32_t i = 0; i < leaf->count; ++i)
                if (visit(leaf->members[i])) return next(leaf, i);
        return nullptr;
    }

  private:
    struct Key {
        std::uint64_t prefix;
        const Symbol* symbol;
    };
    static constexpr std::uint32_t leafCapacity = 32;
    static constexpr std::uint32_t innerCapacity = 32; // children; one separator fewer
    static constexpr std::uint32_t maxHeight = 24;     // 32^24 entries: more than memory holds

    struct Inner;
    struct Node : SmallObject {
        explicit Node(bool isLeaf) : leaf(isLeaf) {}
        bool leaf;
        std::uint32_t count = 0; // entries of a leaf, children of an inner node
    };
    struct Leaf : Node {
        Leaf* next = nullptr;
        Leaf* previous = nullptr;
        Key keys[leafCapacity];
        Member members[leafCapacity];
        Leaf() : Node(true) {}
    };
    // Child i holds the keys from separators[i - 1] (inclusive) up to separators[i].
    struct Inner : Node {
        Key separators[innerCapacity - 1];
        Node* children[innerCapacity];
        Inner() : Node(false) {}
    };
    // The inner nodes passed on the way down, and the child taken in each.
    struct Path {
        Inner* nodes[maxHeight];
        std::uint32_t slots[maxHeight];
        std::uint32_t length = 0;
    };

    // Unsigned bytes, a proper prefix first: std::string's own order. Equal prefixes of different
    // symbols are settled by their texts.
    static bool less(const Key& a, const Key& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        return a.symbol != b.symbol && a.symbol->text() < b.symbol->text();
    }
    // How many of the n sorted keys lie below key (Bound::Lower) or not above it (Bound::Upper).
    enum class Bound { Lower, Upper };
    template <Bound bound> static std::uint32_t search(const Key* keys, std::uint32_t n, const Key& key) {
        std::uint32_t low = 0, high = n;
        while (low < high) {
            std::uint32_t middle = (low + high) / 2;
            bool right = bound == Bound::Upper ? !less(key, keys[middle]) : less(keys[middle], key);
            if (right)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    }
    static Key keyOf(const Symbol& symbol) { return Key{symbol.prefix(), &symbol}; }
    // A separator may outlive the entry it was taken from: it holds its symbol (a registry key may
    // be a transient text) from the moment it is taken to the moment it goes.
    static Key takeSeparator(const Key& from) {
        SymbolTable::hold(*from.symbol);
        return from;
    }
    static void dropSeparator(const Key& separator) { SymbolTable::unhold(*separator.symbol); }
    // The first position in the leaf whose key is not below key.
    static std::uint32_t lowerBound(const Leaf& leaf, const Key& key) {
        return search<Bound::Lower>(leaf.keys, leaf.count, key);
    }
    static bool at(const Leaf& leaf, std::uint32_t i, const Key& key) {
        return i < leaf.count && leaf.keys[i].symbol == key.symbol;
    }
    Leaf* descend(const Key& key, Path* path) const;
    Member* next(Leaf* leaf, std::uint32_t i);
    static void putAt(Leaf& leaf, std::uint32_t i, const Key& key, Member member);
    // Whether a key going to place i of leaf comes right after previous, the key inserted last.
    static bool follows(const Leaf& leaf, std::uint32_t i, const Symbol* previous);
    static bool spillToNext(const Path& path, Leaf& leaf, std::uint32_t i, const Key& key, Member member);
    void insertIntoParent(Path& path, Node* left, const Key& separator, Node* right);
    void removeLeaf(Path& path, Leaf* leaf);
    void destroy(Node* node);
    struct Walk;
    bool validNode(const Node* node, const Key* low, const Key* high, std::uint32_t depth, Walk& walk) const;

    Node* root_;
    Leaf* firstLeaf_;
    std::size_t size_ = 0;
    // The key last found present by a refused insert or by contains(); it stays present until it is
    // erased. Every call asks the registry about the same key "params" again: a parameter object
    // offers itself, or one deferred asks whether it would be taken.
    const Symbol* presentKey_ = nullptr;
    // The keys inserted last and before it, compared by address only: a key inserted and erased at
    // once (a text made and deleted between two numbers) does not break a run of keys in order.
    const Symbol* lastInserted_ = nullptr;
    const Symbol* insertedBefore_ = nullptr;
};
