// Member tables: members inside the table, a sorted array, or a tree once an object holds many.
#include "vm/object/MemberTable.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

std::uint32_t MemberTable::indexOf(const Symbol& key) const {
    const std::uint32_t* keys = this->keys();
    std::uint32_t i = 0;
    while (i < size_ && keys[i] != key.id)
        ++i;
    return i;
}

// Entries are plain words, so moving them is a copy of bytes.
void MemberTable::grow() {
    auto capacity = static_cast<std::uint8_t>(capacity_ * 2);
    auto* members = static_cast<Member*>(SmallAllocator::allocate(capacity * entryBytes));
    std::memcpy(static_cast<void*>(members), this->members(), size_ * sizeof(Member));
    std::memcpy(reinterpret_cast<std::uint32_t*>(members + capacity), keys(), size_ * sizeof(std::uint32_t));
    if (mode_ == Mode::Array) SmallAllocator::release(heap_, capacity_ * entryBytes);
    heap_ = members;
    capacity_ = capacity;
    mode_ = Mode::Array;
}

void MemberTable::moveToTree() {
    auto* tree = new KeyTree();
    const SymbolTable& symbols = SymbolTable::current();
    for (std::uint32_t i = 0; i < size_; ++i)
        tree->insert(symbols.byNumber(keys()[i]), members()[i]);
    clear();
    tree_ = tree;
    mode_ = Mode::Tree;
}

void MemberTable::indexByNumber() {
    if (mode_ == Mode::Indexed) return;
    auto index = std::make_unique<KeyIndex>();
    forEach([&](const Symbol& key, const Member& member) { index->insert(key, member); });
    clear();
    index_ = index.release();
    mode_ = Mode::Indexed;
}

// The entries sorted, then inserted in that order: the tree fills its leaves to nine tenths.
void MemberTable::moveIndexToTree() {
    std::vector<std::pair<const Symbol*, Member>, SmallBlocks<std::pair<const Symbol*, Member>>> entries;
    entries.reserve(index_->size());
    forEach([&](const Symbol& key, const Member& member) { entries.emplace_back(&key, member); });
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return *a.first < *b.first; });
    auto tree = std::make_unique<KeyTree>();
    for (const auto& [key, member] : entries)
        tree->insert(*key, member);
    clear();
    tree_ = tree.release();
    mode_ = Mode::Tree;
}

bool MemberTable::insert(const Symbol& key, Member member) {
    if (mode_ == Mode::Tree) return tree_->insert(key, member);
    if (mode_ == Mode::Indexed) return index_->insert(key, member);
    if (indexOf(key) != size_) return false;
    if (size_ == arrayLimit) {
        moveToTree();
        return tree_->insert(key, member);
    }
    if (size_ == capacity_) grow();
    Member* members = this->members();
    std::uint32_t* keys = this->keys();
    std::uint32_t at = size_;
    if (at > 0) {
        // Unsigned bytes, a proper prefix first: std::string's own order.
        const SymbolTable& symbols = SymbolTable::current();
        while (at > 0 && key < symbols.byNumber(keys[at - 1])) {
            members[at] = members[at - 1];
            keys[at] = keys[at - 1];
            --at;
        }
    }
    members[at] = member;
    keys[at] = key.id;
    ++size_;
    return true;
}

void MemberTable::removeAt(std::uint32_t at, Member& removed) {
    Member* members = this->members();
    std::uint32_t* keys = this->keys();
    removed = members[at];
    for (std::uint32_t i = at + 1; i < size_; ++i) {
        members[i - 1] = members[i];
        keys[i - 1] = keys[i];
    }
    --size_;
}

bool MemberTable::erase(const Symbol& key, Member& removed) {
    if (mode_ == Mode::Tree) return tree_->erase(key, removed);
    if (mode_ == Mode::Indexed) return index_->erase(key, removed);
    std::uint32_t at = indexOf(key);
    if (at == size_) return false;
    removeAt(at, removed);
    return true;
}

bool MemberTable::popFirst(Member& removed) {
    if (empty()) return false;
    putInKeyOrder();
    if (mode_ == Mode::Tree) return tree_->popFirst(removed);
    removeAt(0, removed);
    return true;
}

Member* MemberTable::first() {
    if (empty()) return nullptr;
    putInKeyOrder();
    return mode_ == Mode::Tree ? tree_->first() : &members()[0];
}

Member* MemberTable::after(const Symbol& key) {
    putInKeyOrder();
    if (mode_ == Mode::Tree) return tree_->after(key);
    std::uint32_t at = indexOf(key);
    return at + 1 < size_ ? &members()[at + 1] : nullptr;
}

Member* MemberTable::findTarget(const Object* target) {
    putInKeyOrder();
    if (mode_ == Mode::Tree)
        return tree_->findIf([target](const Member& member) { return member.target() == target; });
    for (std::uint32_t i = 0; i < size_; ++i)
        if (members()[i].target() == target) return &members()[i];
    return nullptr;
}

Member* MemberTable::afterTarget(const Object* target) {
    putInKeyOrder();
    if (mode_ == Mode::Tree)
        return tree_->afterFirst([target](const Member& member) { return member.target() == target; });
    for (std::uint32_t i = 0; i < size_; ++i)
        if (members()[i].target() == target) return i + 1 < size_ ? &members()[i + 1] : nullptr;
    return nullptr;
}

void MemberTable::clear() {
    if (mode_ == Mode::Tree) delete tree_;
    if (mode_ == Mode::Indexed) delete index_;
    if (mode_ == Mode::Array) SmallAllocator::release(heap_, capacity_ * entryBytes);
    size_ = 0;
    capacity_ = inlineCapacity;
    mode_ = Mode::Inline;
}

bool MemberTable::validate() const {
    if (mode_ == Mode::Tree) return tree_->validate();
    if (mode_ == Mode::Indexed) return index_->validate();
    if (size_ > capacity_ || (mode_ == Mode::Inline) != (capacity_ == inlineCapacity)) return false;
    const SymbolTable& symbols = SymbolTable::current();
    for (std::uint32_t i = 1; i < size_; ++i)
        if (!(symbols.byNumber(keys()[i - 1]) < symbols.byNumber(keys()[i]))) return false;
    return true;
}
