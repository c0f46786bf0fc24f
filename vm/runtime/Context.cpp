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

Context::Stack::~Stack() {
    for (Record* block : blocks_)
        SmallAllocator::release(block, perBlock * sizeof(Record));
}

void Context::Stack::push() {
    if (size_ == blocks_.size() * perBlock) {
        auto* block = static_cast<Record*>(SmallAllocator::allocate(perBlock * sizeof(Record)));
        try {
            blocks_.push_back(block);
        } catch (...) {
            SmallAllocator::release(block, perBlock * sizeof(Record));
            throw;
        }
    }
    new (&(*this)[size_]) Record();
    ++size_;
}

// A block goes once the stack is a whole block below it: a call and its return at a block's edge do
// not take and give back a block each time.
void Context::Stack::pop() {
    --size_;
    if (blocks_.size() > size_ / perBlock + 2) {
        SmallAllocator::release(blocks_.back(), perBlock * sizeof(Record));
        blocks_.pop_back();
    }
}

std::size_t Context::bytesFor(std::uint32_t capacity, bool table) {
    return capacity * sizeof(Binding) + (table ? tableSize(capacity) * sizeof(std::uint32_t) : 0);
}

// Slots hold a binding's index plus one; 0 is an empty slot. Linear probing.
std::uint32_t* Context::table() const {
    const Record& r = *record_;
    return r.hasTable() ? reinterpret_cast<std::uint32_t*>(r.bindings_ + r.capacity()) : nullptr;
}

// The block again, with the table after the bindings.
void Context::makeTable() const {
    Record& r = *record_;
    const std::uint32_t capacity = r.capacity();
    auto* bindings = static_cast<Binding*>(SmallAllocator::allocate(bytesFor(capacity, true)));
    std::copy(r.bindings_, r.bindings_ + r.size_, bindings);
    SmallAllocator::release(r.bindings_, bytesFor(capacity, false));
    r.bindings_ = bindings;
    r.capacity_ |= Record::tableBit;
    fillTable();
}

void Context::fillTable() const {
    Record& r = *record_;
    std::uint32_t* slots = table();
    std::fill(slots, slots + tableSize(r.capacity()), 0u);
    for (std::uint32_t i = 0; i < r.size_; ++i)
        slots[slotOf(slots, r.bindings_[i].name)] = i + 1;
}

std::size_t Context::slotOf(const std::uint32_t* slots, std::uint32_t name) const {
    const std::size_t size = tableSize(record_->capacity());
    for (std::size_t at = home(name, size);; at = (at + 1) & (size - 1))
        if (slots[at] == 0 || record_->bindings_[slots[at] - 1].name == name) return at;
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
        const std::size_t wanted = home(record_->bindings_[slots[at] - 1].name, size);
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
    for (std::uint32_t i = 0; i < r.size_; ++i) {
        const Binding& binding = r.bindings_[i];
        releaseName(binding);
        unindex(binding, i, below);
        release(binding);
    }
    SmallAllocator::release(r.bindings_, bytesFor(r.capacity(), r.hasTable()));
}

void Context::reserve(std::size_t count) {
    Record& r = *record_;
    if (count <= r.capacity()) return;
    if (count >= Record::returnUnboundBit) throw std::bad_alloc();
    const auto capacity = static_cast<std::uint32_t>(count);
    const bool table = r.hasTable();
    auto* bindings = static_cast<Binding*>(SmallAllocator::allocate(bytesFor(capacity, table)));
    std::copy(r.bindings_, r.bindings_ + r.size_, bindings);
    SmallAllocator::release(r.bindings_, bytesFor(r.capacity(), table));
    r.bindings_ = bindings;
    r.capacity_ = capacity | (r.capacity_ & (Record::tableBit | Record::returnUnboundBit));
    if (table) fillTable();
}

inline bool Context::scansBindings(const Record& r) {
    return !r.hasTable() && r.capacity() < tableFrom;
}

inline std::size_t Context::scan(const Record& r, std::uint32_t name) {
    std::uint32_t i = 0;
    while (i < r.size_ && r.bindings_[i].name != name)
        ++i;
    return i;
}

std::size_t Context::position(std::uint32_t name) const {
    const Record& r = *record_;
    if (scansBindings(r)) return scan(r, name);
    if (!r.hasTable()) makeTable();
    const std::uint32_t* slots = table();
    const std::uint32_t slot = slots[slotOf(slots, name)];
    return slot == 0 ? r.size_ : slot - 1;
}

NameIndex& Context::index() const {
    return thread_->index_;
}

Reference* Context::boundHere(const Symbol& name) const {
    bool known;
    Reference* found = index().boundAt(name, depth_, &known);
    if (known) return found;
    std::size_t at = position(name.id);
    return at == record_->size_ ? nullptr : record_->bindings_[at].reference;
}

Reference* Context::getReference(const Symbol& name) const {
    Reference* found = boundHere(name);
    if (isStandIn(found)) [[unlikely]]
        return makeReference(position(name.id));
    return found;
}

// The reference takes over the stand-in's pointer to its object, and its count.
Reference* Context::makeReference(std::size_t at) const {
    Binding& binding = record_->bindings_[at];
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
    const std::uint32_t hiddenDepth = binding.shadowedDepth & ~holdsName;
    Reference* hidden = nullptr;
    if (hiddenDepth != 0) {
        if (hiddenDepth != below.depth) below = Below{&thread_->contexts_[hiddenDepth], hiddenDepth};
        const Record& r = *below.record;
        std::size_t at = hint;
        if (at >= r.size_ || r.bindings_[at].name != binding.name)
            at = scansBindings(r)
                     ? scan(r, binding.name)
                     : Context(*thread_, const_cast<Record&>(r), hiddenDepth).position(binding.name);
        ORVEX_ASSERT(at < r.size_, "a hidden binding stays while it is hidden");
        hidden = r.bindings_[at].reference;
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

void Context::bind(const Symbol& name, Reference* reference) {
    Record& r = *record_;
    // A loop keeps a frame alive per iteration, so the frames grow by halves, not doublings: most
    // hold one to three bindings (a text's params and return, and a literal) or four or five (a
    // method's sender, mySelf, params and return, and a literal).
    if (r.size_ == r.capacity()) reserve(r.size_ < 2 ? 2 : r.size_ + r.size_ / 2);
    Binding& binding = r.bindings_[r.size_++];
    const std::uint32_t holds = name.transient() ? holdsName : 0;
    binding = Binding{reference, name.id, holds};
    if (holds) SymbolTable::hold(name);
    if (r.hasTable()) tableInsert(name.id, r.size_ - 1);
    if (!isStandIn(reference)) reference->hold();
    if (depth_ == 0) {
        index().setBottom(name, reference);
        return;
    }
    binding.shadowedDepth = index().push(name, depth_, reference) | holds;
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
        record_->capacity_ |= Record::returnUnboundBit;
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
    if (at == r.size_) return;
    Binding binding = r.bindings_[at];
    tableErase(binding.name);
    // The last binding takes the place of the one removed.
    const std::uint32_t last = --r.size_;
    if (at != last) {
        tableErase(r.bindings_[last].name);
        r.bindings_[at] = r.bindings_[last];
        tableInsert(r.bindings_[at].name, static_cast<std::uint32_t>(at));
    }
    releaseName(binding);
    Below below;
    unindex(binding, at, below);
    letGo(binding);
}
