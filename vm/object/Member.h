// Members: the references an object holds under its keys.
#pragma once

#include <cstdint>

class Object;

// One member. Every member counts on its target except the object registry's entries, which are
// registry references and leave the count alone. The kind rides in the target pointer's low bit,
// so a member is one word and the members of a small object fit inside the object.
class Member {
  public:
    Member() = default;
    Member(Object* target, bool counted)
        : bits_(reinterpret_cast<std::uintptr_t>(target) | (counted ? 0u : uncountedBit)) {}
    Object* target() const { return reinterpret_cast<Object*>(bits_ & ~uncountedBit); }
    bool counted() const { return (bits_ & uncountedBit) == 0; }

  private:
    static constexpr std::uintptr_t uncountedBit = 1;
    std::uintptr_t bits_ = 0;
};
