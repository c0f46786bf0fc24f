// Objects: ordered dictionaries of counted member references, with delegation along <super>.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vm/memory/SmallAllocator.h"
#include "vm/object/MemberTable.h"
#include "vm/symbols/Names.h"

class Thread;
class StringObject;

class Object : public SmallObject {
  public:
    // The unregistered constructor; only the System object is made with it.
    Object();
    // Registers the new object in the object registry under key (first key wins).
    explicit Object(const Symbol& key);
    explicit Object(std::string_view key) : Object(intern(key)) {}
    // Not virtual: an object has no table of functions, and free() knows its class by its kind.
    ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Own member named exactly name; no inheritance.
    Member* getMember(const Symbol& name) { return members_.find(name); }
    // The same question when only the answer counts: a table asked the same key again answers at once.
    bool hasMember(const Symbol& name) { return members_.contains(name); }
    // Inserts a counted member when name is absent. Either way the target's count rises:
    // a refused offer is neither stored nor released.
    bool addMember(const Symbol& name, Object* target);
    // Inserts an uncounted registry reference when name is absent.
    bool addRegistryMember(const Symbol& name, Object* target);
    // addMember of <id>, then of <super>, on an object just made, that holds nothing yet.
    void addIdAndSuper(Object* id, Object* super);
    // Replaces the member (counted); re-keys the registry entry when name is "<id>".
    bool setMember(const Symbol& name, Object* target);
    void removeMember(const Symbol& name);

    // Inherited lookup along <super>; none on a cycle.
    Member* lookupMember(const Symbol& name);
    // The object of the <super> chain that holds name, counted once for the caller; or null. The
    // member found, when asked for, comes with it from the same walk.
    Object* findMemberOwner(const Symbol& name, Member** member = nullptr);

    // The same by text, for the world's bootstrap and for tests: a text never made into a symbol
    // names no member.
    Member* getMember(std::string_view name);
    Member* lookupMember(std::string_view name);
    bool addMember(std::string_view name, Object* target) { return addMember(intern(name), target); }
    bool addRegistryMember(std::string_view name, Object* target) {
        return addRegistryMember(intern(name), target);
    }
    bool setMember(std::string_view name, Object* target) { return setMember(intern(name), target); }
    void removeMember(std::string_view name) { removeMember(intern(name)); }

    Member* getSuper() { return getMember(names::super); }
    Member* getId() { return getMember(names::id); }
    bool isOwnSuper();

    Member* firstMember();
    Member* memberAfterKey(const Symbol& key);
    Member* findMemberByTarget(const Object* target);
    Member* memberAfterTarget(const Object* target);
    // Visits the members in key order (unsigned bytes, a proper prefix first), unless they are
    // indexed by number: then in no particular order.
    template <class Visit> void forEachMember(Visit visit) const { members_.forEach(visit); }
    // The registry's members are found by key number, and sorted only when walked in key order.
    void indexMembersByNumber() { members_.indexByNumber(); }
    std::size_t memberCount() const { return members_.size(); }

    void incrementRefCount() {
        refCount_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(refCount_) + 1u);
    }
    void decrementRefCount() {
        refCount_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(refCount_) - 1u);
    }
    std::int32_t refCount() const { return refCount_; }

    void lockTwoPoints();
    void unlockTwoPoints();
    bool isTwoPointsLocked() const { return twoPointsLocked_; }

    // Suspends thread on this object; false on a dead object, which takes no one. The caller marks
    // the thread waiting: an object knows its waiters only as a stack.
    bool enter(Thread* thread);
    // The thread to resume, the last one suspended here; null when no one waits.
    Thread* exit();

    // A string object that is still alive, or null. A killed string object is no longer one.
    // Inline, in StringObject.h: a primitive asks it of every parameter.
    inline StringObject* asStringObject();
    // A primitive that is still alive.
    bool isPrimitive() const { return kind_ == Kind::Primitive && !dead_; }

    // What <delete> does: the members are released and the object is dead from then on. Its
    // storage stays while any reference or member points at it, so every one left stays safe to
    // follow; once none does, the heap frees it at the next statement boundary.
    void kill();
    bool isDead() const { return dead_; }
    // Destroys a dead object that nothing points at and gives back its block (the heap's collect).
    void free();

    // The references and members that point at the object (a reference counted or not, its storage
    // alive or released): up to 254, and from 255 on the object is never freed.
    void addPointer() {
        if (pointers_ != saturated) ++pointers_;
    }
    void dropPointer() {
        if (pointers_ != saturated && --pointers_ == 0 && dead_) unreachable();
    }
    bool unpointed() const { return pointers_ == 0; }

    // How many registry references anywhere name this object; lets <delete> skip the registry scan.
    std::uint32_t registryEntries() const { return registryEntries_; }

  private:
    // First, and free to share its last word: the flags and counts below fill it, and an object
    // with its two members inline takes 40 bytes.
    [[no_unique_address]] MemberTable members_;

  protected:
    enum class Kind : std::uint8_t { Plain, String, Primitive };
    Kind kind_ = Kind::Plain;

  private:
    bool insertMember(const Symbol& name, Object* target, bool counted);
    void dropMember(const Member& member);
    void dropMember(const Symbol& key, const Member& member);
    void releaseMembers();
    void unreachable();

    bool twoPointsLocked_ = false;
    bool dead_ = false;
    bool waitedOn_ = false; // the heap keeps a stack of waiting threads for this object
    static constexpr std::uint8_t saturated = 255;
    std::uint8_t pointers_ = 0; // in the byte the flags leave
    std::int32_t refCount_ = 0;
    std::uint32_t registryEntries_ = 0;
};
