// String objects.
#include "vm/object/StringObject.h"

#include "vm/object/Heap.h"
#include "vm/object/Registry.h"

// A loop makes a string object or two at every turn and keeps them all: one pool block each.
static_assert(sizeof(StringObject) <= 48, "a string object with its two members fits in 48 bytes");

StringObject::StringObject(const Symbol& text, Registration registration) : text_(text) {
    kind_ = Kind::String;
    SymbolTable::hold(text);
    if (registration == Registration::Register) registry::add(this, text);
}

StringObject* makeLiteralObject(const Symbol& text, Object* prototype,
                                StringObject::Registration registration) {
    StringObject* object = Heap::current().make<StringObject>(text, registration);
    object->addIdAndSuper(object, prototype);
    return object;
}
