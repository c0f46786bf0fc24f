// String objects.
#include "vm/object/StringObject.h"

#include "vm/object/Heap.h"

StringObject::StringObject(std::string_view text) : Object(text), text_(text) { kind_ = Kind::String; }

StringObject::~StringObject() = default;

StringObject* makeLiteralObject(std::string_view text, Object* prototype) {
    StringObject* object = Heap::instance().make<StringObject>(text);
    object->addMember("<id>", object);
    object->addMember("<super>", prototype);
    return object;
}
