// The B+ tree of large member tables.
//
// Invariants (validate() checks every one):
// - Entries sit in the leaves only, in key order (KeyTree::less: the eight-byte prefix, then the
//   text), each key once; a leaf holds at most 32 and only a root leaf is ever empty.
// - Every leaf is at the same depth, and the leaves are linked left to right, both ways, from
//   firstLeaf_: a walk in key order never climbs the tree.
// - An inner node of n children holds n - 1 separators in increasing order; child i holds the keys
//   from separator i - 1 (inclusive) up to separator i (exclusive). A separator need not be a key
//   still present: erasing never merges nodes, only takes out a leaf left empty (and an inner node
//   left childless), so the old separators stay valid bounds and an erase touches one path.
// - The root is a leaf, or an inner node with two children at least: a root left with one child
//   steps down. Inner nodes below it keep one child at least.
// Splits keep a leaf half full, except for keys that arrive in order (see insert), which fill
// leaves to nine tenths: the registry receives its numbers and generated names that way.
#include "vm/object/KeyTree.h"

#include <algorithm>
#include <utility>

KeyTree::KeyTree() : root_(new Leaf()), firstLeaf_(static_cast<Leaf*>(root_)) {}

KeyTree::~KeyTree() {
    destroy(root_);
}

// The height is logarithmic in the entries (at most maxHeight), so this recursion is shallow.
void KeyTree::destroy(Node* node) {
    if (node->leaf) {
        delete static_cast<Leaf*>(node);
        return;
    }
    auto* inner = static_cast<Inner*>(node);
    for (std::uint32_t i = 0; i < inner->count; ++i) {
        if (i > 0) dropSeparator(inner->separators[i - 1]);
        destroy(inner->children[i]);
    }
    delete inner;
}

KeyTree::Leaf* KeyTree::descend(const Key& key, Path* path) const {
    Node* node = root_;
    while (!node->leaf) {
        auto* inner = static_cast<Inner*>(node);
        // The child after the last separator not above key.
        std::uint32_t slot = search<Bound::Upper>(inner->separators, inner->count - 1, key);
        if (path) {
            path->nodes[path->length] = inner;
            path->slots[path->length] = slot;
            ++path->length;
        }
        node = inner->children[slot];
    }
    return static_cast<Leaf*>(node);
}

Member* KeyTree::find(const Symbol& symbol) {
    Key key = keyOf(symbol);
    Leaf* leaf = descend(key, nullptr);
    std::uint32_t i = lowerBound(*leaf, key);
    return at(*leaf, i, key) ? &leaf->members[i] : nullptr;
}

bool KeyTree::contains(const Symbol& symbol) {
    if (&symbol == presentKey_) return true;
    if (!find(symbol)) return false;
    presentKey_ = &symbol;
    return true;
}

bool KeyTree::insert(const Symbol& symbol, Member member) {
    if (&symbol == presentKey_) return false;
    Key key = keyOf(symbol);
    Path path;
    Leaf* leaf = descend(key, &path);
    std::uint32_t i = lowerBound(*leaf, key);
    if (at(*leaf, i, key)) {
        presentKey_ = &symbol;
        return false;
    }
    ++size_;
    const Symbol* previous = std::exchange(lastInserted_, &symbol);
    insertedBefore_ = previous;
    if (leaf->count < leafCapacity) {
        putAt(*leaf, i, key, member);
        return true;
    }
    // A full leaf splits in half, unless keys arrive in order: numbers and identifiers made one
    // after another land right after the key inserted last, among older keys ("<100019>" sorts
    // before "<10001>", "<100020>" after it). Then the leaf hands its last keys on to the next
    // leaf while that has room, and splits where the new key goes once it has not, so the leaves
    // left behind are nine-tenths full instead of half.
    const bool run = follows(*leaf, i, previous);
    if (run && spillToNext(path, *leaf, i, key, member)) return true;
    auto* right = new Leaf();
    std::uint32_t keep = i == leafCapacity              ? leafCapacity
                         : run && i >= leafCapacity / 2 ? i
                                                        : leafCapacity / 2;
    right->count = leafCapacity - keep;
    std::copy(leaf->keys + keep, leaf->keys + leafCapacity, right->keys);
    std::copy(leaf->members + keep, leaf->members + leafCapacity, right->members);
    leaf->count = keep;
    right->next = leaf->next;
    right->previous = leaf;
    if (leaf->next) leaf->next->previous = right;
    leaf->next = right;
    if (i <= keep && keep != leafCapacity)
        putAt(*leaf, i, key, member);
    else
        putAt(*right, i - keep, key, member);
    insertIntoParent(path, leaf, takeSeparator(right->keys[0]), right);
    return true;
}

void KeyTree::putAt(Leaf& leaf, std::uint32_t i, const Key& key, Member member) {
    std::copy_backward(leaf.keys + i, leaf.keys + leaf.count, leaf.keys + leaf.count + 1);
    std::copy_backward(leaf.members + i, leaf.members + leaf.count, leaf.members + leaf.count + 1);
    leaf.keys[i] = key;
    leaf.members[i] = member;
    ++leaf.count;
}

bool KeyTree::follows(const Leaf& leaf, std::uint32_t i, const Symbol* previous) {
    for (std::uint32_t k = i; k-- != 0;)
        if (leaf.keys[k].symbol == previous) return true;
    const Leaf* before = leaf.previous;
    return before && before->count != 0 && before->keys[before->count - 1].symbol == previous;
}

// Half the next leaf's room (one entry at least) is taken from the end of the full leaf, under the
// same parent; a key that goes after every entry of the full leaf goes to the next one's front.
bool KeyTree::spillToNext(const Path& path, Leaf& leaf, std::uint32_t i, const Key& key, Member member) {
    if (path.length == 0) return false;
    Inner* parent = path.nodes[path.length - 1];
    const std::uint32_t slot = path.slots[path.length - 1];
    if (slot + 1 >= parent->count) return false;
    auto* next = static_cast<Leaf*>(parent->children[slot + 1]);
    if (next->count == leafCapacity) return false;
    if (i == leafCapacity) {
        putAt(*next, 0, key, member);
    } else {
        const std::uint32_t moving =
            std::max(1u, std::min(leafCapacity - i, (leafCapacity - next->count + 1) / 2));
        std::copy_backward(next->keys, next->keys + next->count, next->keys + next->count + moving);
        std::copy_backward(next->members, next->members + next->count, next->members + next->count + moving);
        std::copy(leaf.keys + leafCapacity - moving, leaf.keys + leafCapacity, next->keys);
        std::copy(leaf.members + leafCapacity - moving, leaf.members + leafCapacity, next->members);
        next->count += moving;
        leaf.count = leafCapacity - moving;
        putAt(leaf, i, key, member);
    }
    dropSeparator(parent->separators[slot]);
    parent->separators[slot] = takeSeparator(next->keys[0]);
    return true;
}

void KeyTree::insertIntoParent(Path& path, Node* left, const Key& separator, Node* right) {
    if (path.length == 0) {
        auto* root = new Inner();
        root->children[0] = left;
        root->children[1] = right;
        root->separators[0] = separator;
        root->count = 2;
        root_ = root;
        return;
    }
    --path.length;
    Inner* parent = path.nodes[path.length];
    std::uint32_t slot = path.slots[path.length]; // left is children[slot]
    if (parent->count < innerCapacity) {
        std::copy_backward(parent->children + slot + 1, parent->children + parent->count,
                           parent->children + parent->count + 1);
        std::copy_backward(parent->separators + slot, parent->separators + (parent->count - 1),
                           parent->separators + parent->count);
        parent->children[slot + 1] = right;
        parent->separators[slot] = separator;
        ++parent->count;
        return;
    }
    // Split a full inner node: lay its children and separators out with the new pair in place,
    // then hand the middle separator up.
    Node* children[innerCapacity + 1];
    Key separators[innerCapacity];
    std::copy(parent->children, parent->children + slot + 1, children);
    children[slot + 1] = right;
    std::copy(parent->children + slot + 1, parent->children + innerCapacity, children + slot + 2);
    std::copy(parent->separators, parent->separators + slot, separators);
    separators[slot] = separator;
    std::copy(parent->separators + slot, parent->separators + (innerCapacity - 1), separators + slot + 1);

    constexpr std::uint32_t leftCount = (innerCapacity + 1) / 2;
    constexpr std::uint32_t rightCount = innerCapacity + 1 - leftCount;
    auto* sibling = new Inner();
    std::copy(children, children + leftCount, parent->children);
    std::copy(separators, separators + leftCount - 1, parent->separators);
    parent->count = leftCount;
    std::copy(children + leftCount, children + innerCapacity + 1, sibling->children);
    std::copy(separators + leftCount, separators + innerCapacity, sibling->separators);
    sibling->count = rightCount;
    insertIntoParent(path, parent, separators[leftCount - 1], sibling);
}

bool KeyTree::erase(const Symbol& symbol, Member& removed) {
    Key key = keyOf(symbol);
    Path path;
    Leaf* leaf = descend(key, &path);
    std::uint32_t i = lowerBound(*leaf, key);
    if (!at(*leaf, i, key)) return false;
    if (&symbol == presentKey_) presentKey_ = nullptr;
    if (&symbol == lastInserted_) lastInserted_ = std::exchange(insertedBefore_, nullptr);
    removed = leaf->members[i];
    std::copy(leaf->keys + i + 1, leaf->keys + leaf->count, leaf->keys + i);
    std::copy(leaf->members + i + 1, leaf->members + leaf->count, leaf->members + i);
    --leaf->count;
    --size_;
    // Leaves are not merged: the separators stay valid bounds. Only an empty one goes.
    if (leaf->count == 0 && leaf != root_) removeLeaf(path, leaf);
    return true;
}

void KeyTree::removeLeaf(Path& path, Leaf* leaf) {
    if (leaf->previous)
        leaf->previous->next = leaf->next;
    else
        firstLeaf_ = leaf->next;
    if (leaf->next) leaf->next->previous = leaf->previous;
    Node* gone = leaf;
    // Take the child out of its parent; a parent left without children goes the same way.
    while (path.length > 0) {
        --path.length;
        Inner* parent = path.nodes[path.length];
        std::uint32_t slot = path.slots[path.length];
        if (gone->leaf)
            delete static_cast<Leaf*>(gone);
        else
            delete static_cast<Inner*>(gone);
        std::copy(parent->children + slot + 1, parent->children + parent->count, parent->children + slot);
        // The separator below the removed child goes with it (the one above, for the first child).
        std::uint32_t separator = slot == 0 ? 0 : slot - 1;
        if (parent->count > 1) {
            dropSeparator(parent->separators[separator]);
            std::copy(parent->separators + separator + 1, parent->separators + (parent->count - 1),
                      parent->separators + separator);
        }
        --parent->count;
        if (parent->count > 0) break;
        gone = parent;
    }
    // A root with a single child steps down.
    while (!root_->leaf && root_->count == 1) {
        auto* old = static_cast<Inner*>(root_);
        root_ = old->children[0];
        delete old;
    }
}

Member* KeyTree::next(Leaf* leaf, std::uint32_t i) {
    if (i + 1 < leaf->count) return &leaf->members[i + 1];
    for (leaf = leaf->next; leaf; leaf = leaf->next)
        if (leaf->count > 0) return &leaf->members[0];
    return nullptr;
}

Member* KeyTree::first() {
    for (Leaf* leaf = firstLeaf_; leaf; leaf = leaf->next)
        if (leaf->count > 0) return &leaf->members[0];
    return nullptr;
}

Member* KeyTree::after(const Symbol& symbol) {
    Key key = keyOf(symbol);
    Leaf* leaf = descend(key, nullptr);
    std::uint32_t i = lowerBound(*leaf, key);
    return at(*leaf, i, key) ? next(leaf, i) : nullptr;
}

bool KeyTree::popFirst(Member& removed) {
    for (Leaf* leaf = firstLeaf_; leaf; leaf = leaf->next)
        if (leaf->count > 0) return erase(*leaf->keys[0].symbol, removed);
    return false;
}

// What a walk of the whole tree carries from leaf to leaf.
struct KeyTree::Walk {
    std::uint32_t leafDepth = 0; // of the first leaf met; every other one is as deep
    bool leafMet = false;
    const Leaf* previous = nullptr; // the leaf met before, whose next must be the one met now
    std::size_t entries = 0;
};

bool KeyTree::validate() const {
    Walk walk;
    if (!validNode(root_, nullptr, nullptr, 0, walk)) return false;
    // The chain of leaves is the tree's leaves left to right, and the entries are all counted.
    if (walk.previous->next != nullptr || walk.entries != size_) return false;
    // The key remembered as present is present.
    if (presentKey_) {
        const Key key = keyOf(*presentKey_);
        const Leaf* leaf = descend(key, nullptr);
        if (!at(*leaf, lowerBound(*leaf, key), key)) return false;
    }
    return true;
}

// The tree's invariants, node by node: keys strictly increasing in key order, each with its own
// symbol's prefix; a child's keys within the separators around it (low inclusive, high exclusive);
// every leaf at one depth, linked to its neighbours both ways; only a root leaf empty; an inner
// node with at least one child, and a root that is inner with two. The height is logarithmic in
// the entries, so the recursion is shallow.
bool KeyTree::validNode(const Node* node, const Key* low, const Key* high, std::uint32_t depth,
                        Walk& walk) const {
    if (node->leaf) {
        const auto* leaf = static_cast<const Leaf*>(node);
        if (leaf->count > leafCapacity || (leaf->count == 0 && node != root_)) return false;
        if (walk.leafMet && depth != walk.leafDepth) return false;
        walk.leafMet = true;
        walk.leafDepth = depth;
        const Leaf* expected = walk.previous ? walk.previous->next : firstLeaf_;
        if (leaf != expected || leaf->previous != walk.previous) return false;
        walk.previous = leaf;
        walk.entries += leaf->count;
        for (std::uint32_t i = 0; i < leaf->count; ++i) {
            const Key& key = leaf->keys[i];
            if (key.prefix != key.symbol->prefix()) return false;
            if (i > 0 && !less(leaf->keys[i - 1], key)) return false;
            if ((low && less(key, *low)) || (high && !less(key, *high))) return false;
        }
        return true;
    }
    const auto* inner = static_cast<const Inner*>(node);
    if (inner->count == 0 || inner->count > innerCapacity || (node == root_ && inner->count < 2))
        return false;
    if (depth + 1 >= maxHeight) return false;
    for (std::uint32_t i = 0; i + 1 < inner->count; ++i) {
        const Key& separator = inner->separators[i];
        if (i > 0 && !less(inner->separators[i - 1], separator)) return false;
        if ((low && less(separator, *low)) || (high && !less(separator, *high))) return false;
    }
    for (std::uint32_t i = 0; i < inner->count; ++i) {
        const Key* childLow = i == 0 ? low : &inner->separators[i - 1];
        const Key* childHigh = i + 1 == inner->count ? high : &inner->separators[i];
        if (!validNode(inner->children[i], childLow, childHigh, depth + 1, walk)) return false;
    }
    return true;
}
