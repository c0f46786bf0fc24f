// References bound in contexts. A reference counts once on its target; bindings share it (the
// caller's target reference is bound again as "return" in the callee), so it lives as long as
// any binding holds it.
#pragma once

#include <cstdint>
#include <utility>

#include "vm/object/Object.h"

class Reference : public SmallObject {
  public:
    // A counted reference: the target's count rises now and falls in release().
    explicit Reference(Object* target) : target_(target) {
        target->incrementRefCount();
        target->addPointer();
    }
    // The reference that a binding's stand-in comes to be (Context.h): it takes over the pointer
    // on object and the count. Counted: a reference to object. Deferred: to a parameter object
    // not made yet (Call.h), made over the prototype object, whose count the caller has taken
    // already, when the target is first asked for.
    static Reference* adoptingCounted(Object* object) { return new Reference(object, false); }
    static Reference* adoptingDeferred(Object* prototype) { return new Reference(prototype, true); }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;

    Object* target() const { return deferred_ ? makeTarget() : target_; }
    // An object never made, rebound or released, would only have been left unreachable forever.
    void rebind(Object* object) {
        object->incrementRefCount();
        object->addPointer();
        if (!deferred_) target_->decrementRefCount();
        target_->dropPointer();
        deferred_ = false;
        target_ = object;
    }
    // The reference's own end, which lowers its target's count. Its storage lives on while held.
    void release() {
        if (!deferred_) target_->decrementRefCount();
    }

    void hold() { ++holders_; }
    // Drops one holder; frees the storage with the last one. Returns whether it was freed.
    bool unhold() {
        if (--holders_ != 0) return false;
        delete this;
        return true;
    }

  private:
    Reference(Object* object, bool deferred) : target_(object), deferred_(deferred) {}
    ~Reference() { target_->dropPointer(); }
    // Makes the parameter object, counted once for this reference (Call.cpp: where calls make them).
    Object* makeTarget() const;

    mutable Object* target_; // while deferred: the prototype
    std::uint32_t holders_ = 0;
    mutable bool deferred_ = false;
};

// Holds a reference for the length of one statement or primitive: a result reference that an
// add-if-absent binding refused lives exactly that long, its count on the target kept.
class ReferenceHandle {
  public:
    ReferenceHandle() = default;
    explicit ReferenceHandle(Reference* reference) : reference_(reference) {
        if (reference_) reference_->hold();
    }
    ~ReferenceHandle() {
        if (reference_) reference_->unhold();
    }
    ReferenceHandle(const ReferenceHandle&) = delete;
    ReferenceHandle& operator=(const ReferenceHandle&) = delete;
    ReferenceHandle(ReferenceHandle&& other) noexcept
        : reference_(std::exchange(other.reference_, nullptr)) {}
    ReferenceHandle& operator=(ReferenceHandle&& other) noexcept {
        std::swap(reference_, other.reference_);
        return *this;
    }
    Reference* get() const { return reference_; }
    Reference* operator->() const { return reference_; }
    explicit operator bool() const { return reference_ != nullptr; }

  private:
    Reference* reference_ = nullptr;
};
