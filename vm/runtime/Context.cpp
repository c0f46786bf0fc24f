// Contexts and their bindings.
#include "vm/runtime/Context.h"

#include <algorithm>

#include "vm/runtime/Reference.h"
#include "vm/runtime/Thread.h"
#include "vm/symbols/Names.h"

// A frame of many bindings that is searched (a method that binds names by the thousand where a
// binding to none stands, names removed from it) gets a table of where each name's binding is, after
// the bindings in the same block, from its first search on: binding, finding and removing a name
// then cost the same whatever the frame holds. Most frames hold a handful and scan them, and a large
// frame that is never searched (names are found through the name index) has no table to pay for.
namespace {

constexpr std::uint32_t tableFrom = 64; // bindings of room from which a searched frame gets a table

std::size_t tableSize(std::uint32_t capacity) {
    if (capacity < tableFrom) return 0;
    std::size_t size = 128;
    while (size < 2 * std::size_t{capacity})
        size *= 2;
    return size;
}

std::uint32_t home(std::uint32_t name, std::size_t size) {
    return static_cast<std::uint32_t>((name * 0x9E3779B1u) & (size - 1));
}

} // namespace

void Context::Stack::push() {
    // Past half a billion contexts the memory would have run out long before.
    if (size_ > maxDepth) throw std::bad_alloc();
    new (records_.placeFor(size_)) Record();
    ++size_;
}

void Context::Stack::pop() {
    records_.shrunkTo(--size_);
}

std::size_t Context::bytesFor(std::uint32_t capacity, bool table) {
    return capacity * sizeof(Binding) + (table ? tableSize(capacity) * sizeof(std::uint32_t) : 0);
}

// Slots hold a binding's index plus one; 0 is an empty slot. Linear probing.
std::uint32_t* Context::table() const {
    const Record& r = *record_;
    return r.hasTable() ? reinterpret_cast<std::uint32_t*>(r.array() + r.capacity()) : nullptr;
}

// The block again, with the table after the bindings.
void Context::makeTable() const {
    Record& r = *record_;
    const std::uint32_t capacity = r.capacity();
    auto* bindings = static_cast<Binding*>(SmallAllocator::allocate(bytesFor(capacity, true)));
    std::copy(r.array(), r.array() + r.size(), bindings);
    SmallAllocator::release(r.array(), bytesFor(capacity, false));
    r.setArray(bindings, r.size(), r.word_.shadowedDepth | Record::tableBit);
    fillTable();
}

void Context::fillTable() const {
    Record& r = *record_;
    std::uint32_t* slots = table();
    std::fill(slots, slots + tableSize(r.capacity()), 0u);
    for (std::uint32_t i = 0; i < r.size(); ++i)
        slots[slotOf(slots, r.array()[i].name)] = i + 1;
}

std::size_t Context::slotOf(const std::uint32_t* slots, std::uint32_t name) const {
    const std::size_t size = tableSize(record_->capacity());
    for (std::size_t at = home(name, size);; at = (at + 1) & (size - 1))
        if (slots[at] == 0 || record_->array()[slots[at] - 1].name == name) return at;
}

void Context::tableInsert(std::uint32_t name, std::uint32_t index) {
    if (std::uint32_t* slots = table()) slots[slotOf(slots, name)] = index + 1;
}

// Backward-shift deletion: the entries after the emptied slot that would not be found past the gap
// move into it, so no slot is ever marked deleted.
void Context::tableErase(std::uint32_t name) {
    std::uint32_t* slots = table();
    if (!slots) return;
    const std::size_t size = tableSize(record_->capacity());
    std::size_t gap = slotOf(slots, name);
    if (slots[gap] == 0) return;
    for (std::size_t at = (gap + 1) & (size - 1); slots[at] != 0; at = (at + 1) & (size - 1)) {
        const std::size_t wanted = home(record_->array()[slots[at] - 1].name, size);
        // Moves when its home is not in (gap, at], cyclically.
        if ((at > gap && (wanted <= gap || wanted > at)) || (at < gap && wanted <= gap && wanted > at)) {
            slots[gap] = slots[at];
            gap = at;
        }
    }
    slots[gap] = 0;
}

inline void Context::letGo(const Binding& binding) {
    if (isStandIn(binding.reference))
        objectOf(binding.reference)->dropPointer();
    else
        binding.reference->unhold();
}

// "return" is the caller's reference and does not count down here.
inline void Context::release(const Binding& binding) {
    if (binding.name != names::returnName.id) {
        if (!isStandIn(binding.reference))
            binding.reference->release();
        else if (tagOf(binding.reference) == targetTag)
            objectOf(binding.reference)->decrementRefCount();
    }
    letGo(binding);
}

void Context::unbindAll() {
    Record& r = *record_;
    Below below;
    const Binding* bindings = r.bindings();
    const std::uint32_t size = r.size();
    for (std::uint32_t i = 0; i < size; ++i) {
        const Binding& binding = bindings[i];
        releaseName(binding);
        unindex(binding, i, below);
        release(binding);
    }
    if (!r.single()) SmallAllocator::release(r.array(), bytesFor(r.capacity(), r.hasTable()));
}

// Room for one binding is the record itself: an empty record takes its first binding in place.
void Context::reserve(std::size_t count) {
    Record& r = *record_;
    if (count <= r.capacity() || (count == 1 && r.size() == 0)) return;
    if (count > Record::capacityBits) throw std::bad_alloc();
    const auto capacity = static_cast<std::uint32_t>(count);
    const bool table = r.hasTable();
    auto* bindings = static_cast<Binding*>(SmallAllocator::allocate(bytesFor(capacity, table)));
    std::uint32_t flags = 0;
    if (r.single()) {
        bindings[0] = r.word_;
        bindings[0].shadowedDepth &= ~Record::singleBit;
    } else {
        std::copy(r.array(), r.array() + r.size(), bindings);
        SmallAllocator::release(r.array(), bytesFor(r.capacity(), table));
        flags = r.word_.shadowedDepth & (Record::tableBit | Record::returnUnboundBit);
    }
    r.setArray(bindings, r.size(), capacity | flags);
    if (table) fillTable();
}

inline bool Context::scansBindings(const Record& r) {
    return !r.hasTable() && r.capacity() < tableFrom;
}

inline std::size_t Context::scan(const Record& r, std::uint32_t name) {
    const Binding* bindings = r.bindings();
    const std::uint32_t size = r.size();
    std::uint32_t i = 0;
    while (i < size && bindings[i].name != name)
        ++i;
    return i;
}

std::size_t Context::position(std::uint32_t name) const {
    const Record& r = *record_;
    if (scansBindings(r)) return scan(r, name);
    if (!r.hasTable()) makeTable();
    const std::uint32_t* slots = table();
    const std::uint32_t slot = slots[slotOf(slots, name)];
    return slot == 0 ? r.size() : slot - 1;
}

NameIndex& Context::index() const {
    return thread_->index_;
}

Reference* Context::boundHere(const Symbol& name) const {
    bool known;
    Reference* found = index().boundAt(name, depth_, &known);
    if (known) return found;
    std::size_t at = position(name.id);
    return at == record_->size() ? nullptr : record_->bindings()[at].reference;
}

Reference* Context::getReference(const Symbol& name) const {
    Reference* found = boundHere(name);
    if (isStandIn(found)) [[unlikely]]
        return makeReference(position(name.id));
    return found;
}

// The reference takes over the stand-in's pointer to its object, and its count.
Reference* Context::makeReference(std::size_t at) const {
    Binding& binding = record_->bindings()[at];
    Object* object = objectOf(binding.reference);
    Reference* reference = tagOf(binding.reference) == targetTag ? Reference::adoptingCounted(object)
                                                                 : Reference::adoptingDeferred(object);
    reference->hold();
    index().replace(binding.name, depth_, binding.reference, reference);
    binding.reference = reference;
    return reference;
}

// A frame binds its names in the same order as the frame below it, mostly: the hidden binding is
// looked for first where this one is, at hint, and the frames a frame's bindings hide are mostly one.
void Context::unindex(const Binding& binding, std::size_t hint, Below& below) {
    if (depth_ == 0) return index().clearBottom(binding.name);
    const std::uint32_t hiddenDepth = hiddenDepthOf(binding);
    Reference* hidden = nullptr;
    if (hiddenDepth != 0) {
        if (hiddenDepth != below.depth) {
            const Record& r = thread_->contexts_[hiddenDepth];
            below = Below{&r, r.bindings(), r.size(), hiddenDepth};
        }
        std::size_t at = hint;
        if (at >= below.size || below.bindings[at].name != binding.name) {
            const Record& r = *below.record;
            at = scansBindings(r)
                     ? scan(r, binding.name)
                     : Context(*thread_, const_cast<Record&>(r), hiddenDepth).position(binding.name);
        }
        ORVEX_ASSERT(at < below.size, "a hidden binding stays while it is hidden");
        hidden = below.bindings[at].reference;
    }
    index().pop(binding.name, depth_, hiddenDepth, hidden);
}

bool Context::isBound(const Symbol& name) const {
    return boundHere(name) || (name.id == names::returnName.id && record_->returnUnbound());
}

Reference* Context::getReference(std::string_view name) const {
    const Symbol* symbol = SymbolTable::current().find(name);
    return symbol ? getReference(*symbol) : nullptr;
}

// What can fail (room in the array, room in the index) comes first: a binding that runs out of
// memory leaves the record and the index as they were.
void Context::bind(const Symbol& name, Reference* reference) {
    Record& r = *record_;
    // An empty record with no room and no flag: its first binding is the record, until a second
    // one comes.
    const bool single = r.word_.shadowedDepth == 0;
    const std::uint32_t size = single ? 0 : r.size();
    // A loop keeps a frame alive per iteration, so the frames grow by halves, not doublings: most
    // hold one to three bindings (a text's params and return, and a literal) or four or five (a
    // method's sender, mySelf, params and return, and a literal).
    if (!single && size == r.capacity()) reserve(size < 2 ? 2 : size + size / 2);
    const std::uint32_t holds = name.transient() ? holdsName : 0;
    std::uint32_t mark = holds | (single ? Record::singleBit : 0);
    if (depth_ == 0)
        index().setBottom(name, reference);
    else
        mark |= index().push(name, depth_, reference);
    if (single) {
        r.word_ = Binding{reference, name.id, mark};
    } else {
        r.array()[size] = Binding{reference, name.id, mark};
        r.word_.name = size + 1;
        if (r.word_.shadowedDepth & Record::tableBit) tableInsert(name.id, size);
    }
    if (holds) SymbolTable::hold(name);
    if (!isStandIn(reference)) reference->hold();
}

bool Context::refuses(const Symbol& name, Object* target) const {
    if (!isBound(name)) return false;
    target->incrementRefCount(); // the refused reference is made and never released
    return true;
}

bool Context::addReference(const Symbol& name, Object* target) {
    if (refuses(name, target)) return false;
    bind(name, new Reference(target));
    return true;
}

bool Context::addLazyReference(const Symbol& name, Object* target) {
    if (refuses(name, target)) return false;
    target->incrementRefCount();
    target->addPointer();
    bind(name, standIn(target, targetTag));
    return true;
}

bool Context::addSharedReference(const Symbol& name, Reference* reference) {
    if (isBound(name)) return false;
    if (reference) {
        bind(name, reference);
    } else {
        ORVEX_ASSERT(name.id == names::returnName.id, "only \"return\" is bound to no reference");
        Record& r = *record_;
        if (r.single()) reserve(2);
        r.word_.shadowedDepth |= Record::returnUnboundBit;
    }
    return true;
}

bool Context::addDeferredParameters(const Symbol& name, Object* prototype) {
    if (isBound(name)) return false;
    prototype->addPointer();
    bind(name, standIn(prototype, parametersTag));
    return true;
}

void Context::discardBinding(const Symbol& name) {
    Record& r = *record_;
    std::size_t at = position(name.id);
    if (at == r.size()) return;
    Binding binding = r.bindings()[at];
    if (r.single()) {
        r.setArray(nullptr, 0, 0);
    } else {
        tableErase(binding.name);
        // The last binding takes the place of the one removed.
        const std::uint32_t last = --r.word_.name;
        Binding* bindings = r.array();
        if (at != last) {
            tableErase(bindings[last].name);
            bindings[at] = bindings[last];
            tableInsert(bindings[at].name, static_cast<std::uint32_t>(at));
        }
    }
    releaseName(binding);
    Below below;
    unindex(binding, at, below);
    letGo(binding);
}
