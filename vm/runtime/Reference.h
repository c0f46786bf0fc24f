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
    explicit Reference(Object* target) : target_(target) { target->incrementRefCount(); }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;

    Object* target() const { return target_; }
    void rebind(Object* object) {
        object->incrementRefCount();
        target_->decrementRefCount();
        target_ = object;
    }
    // The reference's own end, which lowers its target's count. Its storage lives on while held.
    void release() { target_->decrementRefCount(); }

    void hold() { ++holders_; }
    // Drops one holder; frees the storage with the last one. Returns whether it was freed.
    bool unhold() {
        if (--holders_ != 0) return false;
        delete this;
        return true;
    }

  private:
    ~Reference() = default;
    Object* target_;
    std::uint32_t holders_ = 0;
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
