// String objects: objects that also carry an immutable byte string.
#pragma once

#include <string>
#include <string_view>

#include "vm/object/Object.h"

class StringObject : public Object {
  public:
    enum class Registration { Register, Skip };
    // Registers itself under its own text, unless told to skip it.
    explicit StringObject(const Symbol& text, Registration registration = Registration::Register);
    explicit StringObject(std::string_view text) : StringObject(intern(text)) {}

    // The text stays readable after a kill: evaluations may still be reading it as code.
    std::string_view text() const { return text_.text(); }
    const Symbol& symbol() const { return text_; }

  private:
    const Symbol& text_;
};

StringObject* Object::asStringObject() {
    return kind_ != Kind::Plain && !dead_ ? static_cast<StringObject*>(this) : nullptr;
}

// A primitive is a string object that also keeps the procedure it runs (vm/primitives): the bytes
// its block takes, which Object::free gives back.
inline constexpr std::size_t primitiveObjectSize = sizeof(StringObject) + sizeof(void (*)());

// A string object for a literal name: its <id> is itself, its <super> the string prototype.
StringObject*
makeLiteralObject(const Symbol& text, Object* prototype,
                  StringObject::Registration registration = StringObject::Registration::Register);
