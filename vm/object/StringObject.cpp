// String objects.
#include "vm/object/StringObject.h"

#include "vm/object/Heap.h"

// A loop makes a string object or two at every turn and keeps them all: one pool block each.
static_assert(sizeof(StringObject) <= 64, "a string object with its two members fits in 64 bytes");

StringObject::StringObject(const Symbol& text) : Object(text), text_(text) {
    kind_ = Kind::String;
}

StringObject* makeLiteralObject(const Symbol& text, Object* prototype) {
    StringObject* object = Heap::instance().make<StringObject>(text);
    object->addMember(names::id, object);
    object->addMember(names::super, prototype);
    return object;
}
