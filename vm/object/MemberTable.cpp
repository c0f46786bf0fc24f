// Member tables: a small sorted array, or a tree once an object holds many members.
#include "vm/object/MemberTable.h"

#include <algorithm>

std::vector<MemberTable::Entry>::iterator MemberTable::lowerBound(std::string_view key) {
    return std::lower_bound(small_.begin(), small_.end(), key, [](const Entry& entry, std::string_view k) {
        return std::string_view(entry.first) < k;
    });
}

Member* MemberTable::find(std::string_view key) {
    if (large_) {
        auto it = large_->find(key);
        return it == large_->end() ? nullptr : &it->second;
    }
    auto it = lowerBound(key);
    return it != small_.end() && it->first == key ? &it->second : nullptr;
}

bool MemberTable::insert(std::string_view key, Member member) {
    if (large_) return large_->emplace(std::string(key), member).second;
    auto it = lowerBound(key);
    if (it != small_.end() && it->first == key) return false;
    if (small_.size() < smallLimit) {
        if (small_.empty()) {
            small_.reserve(2); // <id> and <super>: what most objects ever hold
            it = small_.begin();
        }
        small_.emplace(it, std::string(key), member);
        return true;
    }
    large_ = std::make_unique<Tree>(std::make_move_iterator(small_.begin()),
                                    std::make_move_iterator(small_.end()));
    small_.clear();
    small_.shrink_to_fit();
    return large_->emplace(std::string(key), member).second;
}

bool MemberTable::erase(std::string_view key, Member& removed) {
    if (large_) {
        auto it = large_->find(key);
        if (it == large_->end()) return false;
        removed = it->second;
        large_->erase(it);
        return true;
    }
    auto it = lowerBound(key);
    if (it == small_.end() || it->first != key) return false;
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

Member* MemberTable::after(std::string_view key) {
    if (large_) {
        auto it = large_->find(key);
        if (it == large_->end() || ++it == large_->end()) return nullptr;
        return &it->second;
    }
    auto it = lowerBound(key);
    if (it == small_.end() || it->first != key || ++it == small_.end()) return nullptr;
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
