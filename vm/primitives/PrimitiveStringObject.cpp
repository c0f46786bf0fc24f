// The primitive base and the procedures the primitives share.
#include "vm/primitives/PrimitiveStringObject.h"

#include "vm/object/Names.h"
#include "vm/runtime/Thread.h"

PrimitiveStringObject::PrimitiveStringObject(std::string_view text) : StringObject(text) { kind_ = Kind::Primitive; }

PrimitiveStringObject::~PrimitiveStringObject() = default;

void PrimitiveStringObject::execute(Thread&, const std::string&, const std::string&, const std::string&,
                                    ParameterList) {}

Object* PrimitiveStringObject::resolveParameter(Thread& thread, const std::string& name, Object* stringPrototype) {
    if (Reference* found = thread.lookup(name)) return found->target();
    if (!isStringLiteral(name)) return nullptr;
    StringObject* literal = makeLiteralObject(name, stringPrototype);
    literal->incrementRefCount();
    return literal;
}

const std::string* PrimitiveStringObject::identifierText(Object* object) {
    Member* id = object->getId();
    StringObject* text = id ? id->target->asStringObject() : nullptr;
    return text ? &text->text() : nullptr;
}

Object* PrimitiveStringObject::receiver(Thread& thread, const std::string& receiverName) {
    Reference* found = thread.lookup(receiverName);
    return found ? found->target() : nullptr;
}
