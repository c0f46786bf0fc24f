// Objects, members and the registration of new objects.
#include "vm/object/Object.h"

#include "platform/Assert.h"
#include "vm/object/Heap.h"
#include "vm/object/Registry.h"
#include "vm/object/StringObject.h"

static_assert(alignof(Object) >= 2, "a member keeps whether it counts in its target pointer's low bit");

namespace {

// Walks a <super> chain and stops on a cycle. Brent's cycle finding needs no memory: by the time
// it notices a repeat, every object of the cycle has been looked at once already.
// Inlined into each caller: it is the loop of every inherited lookup.
template <class Visit> [[gnu::always_inline]] inline Object* walkSuperChain(Object* start, Visit visit) {
    Object* object = start;
    Object* saved = start;
    std::size_t power = 1, length = 0;
    for (;;) {
        if (visit(object)) return object;
        Member* super = object->getSuper();
        if (!super || super->target() == object) return nullptr;
        object = super->target();
        if (object == saved) return nullptr;
        if (++length == power) {
            saved = object;
            power *= 2;
            length = 0;
        }
    }
}

} // namespace

Object::Object() = default;

Object::Object(const Symbol& key) {
    registry::add(this, key);
}

// Objects go only with their runtime's memory, all at once; a class that owns nothing else needs no
// more than this.
Object::~Object() = default;

Member* Object::getMember(std::string_view name) {
    const Symbol* symbol = SymbolTable::current().find(name);
    return symbol ? getMember(*symbol) : nullptr;
}

Member* Object::lookupMember(std::string_view name) {
    const Symbol* symbol = SymbolTable::current().find(name);
    return symbol ? lookupMember(*symbol) : nullptr;
}

// One search of the table both finds a present name and places an absent one.
// A registry entry holds its key (a string's text may be a transient symbol); every other member's
// key is a name read from program text, pinned.
bool Object::insertMember(const Symbol& name, Object* target, bool counted) {
    ORVEX_ASSERT(!counted || !name.transient(), "a counted member's key is pinned");
    if (!members_.insert(name, Member{target, counted})) return false;
    target->addPointer();
    if (!counted) {
        ++target->registryEntries_;
        SymbolTable::hold(name);
    }
    return true;
}

// The end of a member's reference: a counted one lowers its target's count.
void Object::dropMember(const Member& member) {
    Object* target = member.target();
    if (member.counted())
        target->decrementRefCount();
    else
        --target->registryEntries_;
    target->dropPointer();
}

void Object::dropMember(const Symbol& key, const Member& member) {
    dropMember(member);
    if (!member.counted()) SymbolTable::unhold(key);
}

bool Object::addMember(const Symbol& name, Object* target) {
    target->incrementRefCount();
    return !dead_ && insertMember(name, target, true);
}

// Every object made takes these two first, in this (key) order: no search for their places.
void Object::addIdAndSuper(Object* id, Object* super) {
    ORVEX_ASSERT(!dead_ && members_.empty() && names::id < names::super, "an object just made holds nothing");
    id->incrementRefCount();
    super->incrementRefCount();
    members_.putFirstTwo(names::id, Member{id, true}, names::super, Member{super, true});
    id->addPointer();
    super->addPointer();
}

bool Object::addRegistryMember(const Symbol& name, Object* target) {
    return !dead_ && insertMember(name, target, false);
}

bool Object::setMember(const Symbol& name, Object* target) {
    target->incrementRefCount();
    if (dead_) return true;
    if (&name == &names::id) registry::rekey(this, target);
    Member old;
    if (members_.erase(name, old)) dropMember(name, old);
    insertMember(name, target, true);
    return true;
}

void Object::removeMember(const Symbol& name) {
    Member old;
    if (members_.erase(name, old)) dropMember(name, old);
}

bool Object::isOwnSuper() {
    Member* super = getSuper();
    return super && super->target() == this;
}

Member* Object::lookupMember(const Symbol& name) {
    Member* found = nullptr;
    walkSuperChain(this, [&](Object* o) { return (found = o->getMember(name)) != nullptr; });
    return found;
}

Object* Object::findMemberOwner(const Symbol& name, Member** member) {
    Member* found = nullptr;
    Object* owner = walkSuperChain(this, [&](Object* o) { return (found = o->getMember(name)) != nullptr; });
    if (owner) owner->incrementRefCount();
    if (member) *member = found;
    return owner;
}

Member* Object::firstMember() {
    return members_.first();
}

Member* Object::memberAfterKey(const Symbol& key) {
    return members_.after(key);
}

Member* Object::findMemberByTarget(const Object* target) {
    return members_.findTarget(target);
}

Member* Object::memberAfterTarget(const Object* target) {
    return members_.afterTarget(target);
}

void Object::lockTwoPoints() {
    if (!dead_) twoPointsLocked_ = true;
}

void Object::unlockTwoPoints() {
    if (!dead_) twoPointsLocked_ = false;
}

bool Object::enter(Thread* thread) {
    if (dead_) return false;
    Heap::current().waitersOf(this).push_back(thread);
    waitedOn_ = true;
    return true;
}

Thread* Object::exit() {
    if (dead_ || !waitedOn_) return nullptr;
    Heap::Waiters& waiters = Heap::current().waitersOf(this);
    Thread* thread = waiters.back();
    waiters.pop_back();
    if (waiters.empty()) {
        Heap::current().dropWaiters(this);
        waitedOn_ = false;
    }
    return thread;
}

void Object::releaseMembers() {
    // The registry's entries hold their keys. The members go in key order, and an indexed table
    // sorts them before its keys are let go.
    members_.putInKeyOrder();
    members_.forEach([](const Symbol& key, const Member& member) {
        if (!member.counted()) SymbolTable::unhold(key);
    });
    Member member;
    while (members_.popFirst(member))
        dropMember(member);
    members_.clear();
    if (waitedOn_) Heap::current().dropWaiters(this);
    waitedOn_ = false;
}

void Object::kill() {
    releaseMembers();
    if (!dead_ && kind_ != Kind::Plain) SymbolTable::unhold(static_cast<StringObject*>(this)->symbol());
    twoPointsLocked_ = false;
    dead_ = true;
    if (pointers_ == 0) unreachable();
}

void Object::free() {
    switch (kind_) {
    case Kind::Plain:
        delete this;
        return;
    case Kind::String:
        delete static_cast<StringObject*>(this);
        return;
    case Kind::Primitive: {
        // A primitive owns nothing beyond a string object: its procedure is a plain pointer.
        StringObject* primitive = static_cast<StringObject*>(this);
        primitive->~StringObject();
        SmallObject::operator delete(primitive, primitiveObjectSize);
        return;
    }
    }
}

void Object::unreachable() {
    Heap::current().noteUnreachable(this);
}
