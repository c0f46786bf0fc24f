// String objects.
#include "vm/object/StringObject.h"

#include "vm/object/Heap.h"

StringObject::StringObject(const Symbol& text) : Object(text), text_(text) {
    kind_ = Kind::String;
}

StringObject::~StringObject() {
    if (textCache_) textCache_->release();
}

StringObject* makeLiteralObject(const Symbol& text, Object* prototype) {
    StringObject* object = Heap::instance().make<StringObject>(text);
    object->addMember(names::id, object);
    object->addMember(names::super, prototype);
    return object;
}
