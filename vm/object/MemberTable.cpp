// Member tables: members inside the table, a sorted array, or a tree once an object holds many.
#include "vm/object/MemberTable.h"

#include <algorithm>
#include <cstring>

namespace {

// Unsigned bytes, a proper prefix first: std::string's own order.
bool keyBefore(const Symbol* a, const Symbol* b) {
    return *a < *b;
}

} // namespace

std::uint32_t MemberTable::indexOf(const Symbol& key) const {
    const Entry* entries = array();
    std::uint32_t i = 0;
    while (i < size_ && entries[i].key != &key)
        ++i;
    return i;
}

// Entries are plain words, so moving them is a copy of bytes.
void MemberTable::grow() {
    auto capacity = static_cast<std::uint8_t>(capacity_ * 2);
    auto* entries = static_cast<Entry*>(SmallAllocator::allocate(capacity * sizeof(Entry)));
    std::memcpy(static_cast<void*>(entries), array(), size_ * sizeof(Entry));
    if (mode_ == Mode::Array) SmallAllocator::release(heap_, capacity_ * sizeof(Entry));
    heap_ = entries;
    capacity_ = capacity;
    mode_ = Mode::Array;
}

void MemberTable::moveToTree() {
    auto* tree = new KeyTree();
    for (std::uint32_t i = 0; i < size_; ++i)
        tree->insert(*array()[i].key, array()[i].member);
    clear();
    tree_ = tree;
    mode_ = Mode::Tree;
}

bool MemberTable::insert(const Symbol& key, Member member) {
    if (mode_ == Mode::Tree) return tree_->insert(key, member);
    if (indexOf(key) != size_) return false;
    if (size_ == arrayLimit) {
        moveToTree();
        return tree_->insert(key, member);
    }
    if (size_ == capacity_) grow();
    Entry* entries = array();
    std::uint32_t at = size_;
    while (at > 0 && keyBefore(&key, entries[at - 1].key)) {
        entries[at] = entries[at - 1];
        --at;
    }
    entries[at] = Entry{&key, member};
    ++size_;
    return true;
}

void MemberTable::removeAt(std::uint32_t at, Member& removed) {
    Entry* entries = array();
    removed = entries[at].member;
    for (std::uint32_t i = at + 1; i < size_; ++i)
        entries[i - 1] = entries[i];
    --size_;
}

bool MemberTable::erase(const Symbol& key, Member& removed) {
    if (mode_ == Mode::Tree) return tree_->erase(key, removed);
    std::uint32_t at = indexOf(key);
    if (at == size_) return false;
    removeAt(at, removed);
    return true;
}

bool MemberTable::popFirst(Member& removed) {
    if (empty()) return false;
    if (mode_ == Mode::Tree) return tree_->popFirst(removed);
    removeAt(0, removed);
    return true;
}

Member* MemberTable::first() {
    if (empty()) return nullptr;
    return mode_ == Mode::Tree ? tree_->first() : &array()[0].member;
}

Member* MemberTable::after(const Symbol& key) {
    if (mode_ == Mode::Tree) return tree_->after(key);
    std::uint32_t at = indexOf(key);
    return at + 1 < size_ ? &array()[at + 1].member : nullptr;
}

Member* MemberTable::findTarget(const Object* target) {
    if (mode_ == Mode::Tree)
        return tree_->findIf([target](const Member& member) { return member.target() == target; });
    for (std::uint32_t i = 0; i < size_; ++i)
        if (array()[i].member.target() == target) return &array()[i].member;
    return nullptr;
}

Member* MemberTable::afterTarget(const Object* target) {
    if (mode_ == Mode::Tree)
        return tree_->afterFirst([target](const Member& member) { return member.target() == target; });
    for (std::uint32_t i = 0; i < size_; ++i)
        if (array()[i].member.target() == target) return i + 1 < size_ ? &array()[i + 1].member : nullptr;
    return nullptr;
}

void MemberTable::clear() {
    if (mode_ == Mode::Tree) delete tree_;
    if (mode_ == Mode::Array) SmallAllocator::release(heap_, capacity_ * sizeof(Entry));
    size_ = 0;
    capacity_ = inlineCapacity;
    mode_ = Mode::Inline;
}

bool MemberTable::validate() const {
    if (mode_ == Mode::Tree) return tree_->validate();
    if (size_ > capacity_ || (mode_ == Mode::Inline) != (capacity_ == inlineCapacity)) return false;
    const Entry* entries = array();
    for (std::uint32_t i = 1; i < size_; ++i)
        if (!keyBefore(entries[i - 1].key, entries[i].key)) return false;
    return true;
}
