// The registry's members found by key number.
#include "vm/object/KeyIndex.h"

#include <algorithm>

// Everything that can fail to allocate is done before anything is written.
bool KeyIndex::insert(const Symbol& key, Member member) {
    if (find(key)) return false;
    if (key.id >= places_.size()) {
        if (key.id >= places_.capacity())
            places_.reserve(std::max<std::size_t>(key.id + 1, 2 * places_.capacity()));
        places_.resize(key.id + 1);
    }
    makeRoomForOne(members_);
    makeRoomForOne(keys_);
    members_.push_back(member);
    keys_.push_back(key.id);
    places_[key.id] = static_cast<std::uint32_t>(members_.size());
    return true;
}

bool KeyIndex::erase(const Symbol& key, Member& removed) {
    Member* found = find(key);
    if (!found) return false;
    removed = *found;
    const std::uint32_t place = places_[key.id];
    const std::uint32_t last = keys_.back();
    members_[place - 1] = members_.back();
    keys_[place - 1] = last;
    places_[last] = place;
    places_[key.id] = 0;
    members_.pop_back();
    keys_.pop_back();
    return true;
}

bool KeyIndex::validate() const {
    if (members_.size() != keys_.size()) return false;
    std::size_t found = 0;
    for (std::size_t id = 0; id < places_.size(); ++id) {
        if (!places_[id]) continue;
        if (places_[id] > keys_.size() || keys_[places_[id] - 1] != id) return false;
        ++found;
    }
    return found == keys_.size();
}
