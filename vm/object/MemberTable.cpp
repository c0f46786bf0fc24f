// Member tables: a small sorted array, or a tree once an object holds many members.
#include "vm/object/MemberTable.h"

#include <algorithm>

MemberTable::Small::iterator MemberTable::findSmall(const Symbol& key) {
    return std::find_if(small_.begin(), small_.end(),
                        [&](const Entry& entry) { return entry.first == &key; });
}

Member* MemberTable::findLarge(const Symbol& key) {
    auto it = large_->find(TreeKey(&key));
    return it == large_->end() ? nullptr : &it->second;
}

bool MemberTable::insert(const Symbol& key, Member member) {
    if (large_) return large_->emplace(TreeKey(&key), member).second;
    if (findSmall(key) != small_.end()) return false;
    if (small_.size() < smallLimit) {
        if (small_.empty()) small_.reserve(2); // <id> and <super>: what most objects ever hold
        auto at =
            std::lower_bound(small_.begin(), small_.end(), &key,
                             [](const Entry& entry, const Symbol* k) { return ByText{}(entry.first, k); });
        small_.emplace(at, &key, member);
        return true;
    }
    large_ = std::make_unique<Tree>();
    for (const Entry& entry : small_)
        large_->emplace(TreeKey(entry.first), entry.second);
    small_.clear();
    small_.shrink_to_fit();
    return large_->emplace(TreeKey(&key), member).second;
}

bool MemberTable::erase(const Symbol& key, Member& removed) {
    if (large_) {
        auto it = large_->find(TreeKey(&key));
        if (it == large_->end()) return false;
        removed = it->second;
        large_->erase(it);
        return true;
    }
    auto it = findSmall(key);
    if (it == small_.end()) return false;
    removed = it->second;
    small_.erase(it);
    return true;
}

bool MemberTable::popFirst(Member& removed) {
    if (empty()) return false;
    if (large_) {
        removed = large_->begin()->second;
        large_->erase(large_->begin());
    } else {
        removed = small_.front().second;
        small_.erase(small_.begin());
    }
    return true;
}

Member* MemberTable::first() {
    if (empty()) return nullptr;
    return large_ ? &large_->begin()->second : &small_.front().second;
}

Member* MemberTable::after(const Symbol& key) {
    if (large_) {
        auto it = large_->find(TreeKey(&key));
        if (it == large_->end() || ++it == large_->end()) return nullptr;
        return &it->second;
    }
    auto it = findSmall(key);
    if (it == small_.end() || ++it == small_.end()) return nullptr;
    return &it->second;
}

Member* MemberTable::findTarget(const Object* target) {
    auto match = [&](auto& entries) -> Member* {
        for (auto& entry : entries)
            if (entry.second.target == target) return &entry.second;
        return nullptr;
    };
    return large_ ? match(*large_) : match(small_);
}

Member* MemberTable::afterTarget(const Object* target) {
    auto next = [&](auto& entries) -> Member* {
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (it->second.target != target) continue;
            return ++it == entries.end() ? nullptr : &it->second;
        }
        return nullptr;
    };
    return large_ ? next(*large_) : next(small_);
}

void MemberTable::clear() {
    small_.clear();
    small_.shrink_to_fit();
    large_.reset();
}
