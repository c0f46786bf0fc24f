// The primitive base and the procedures the primitives share.
#include "vm/primitives/PrimitiveStringObject.h"

#include "vm/object/Names.h"
#include "vm/runtime/Thread.h"
#include "vm/statements/ParameterBinding.h"

PrimitiveStringObject::PrimitiveStringObject(std::string_view text) : StringObject(text) { kind_ = Kind::Primitive; }

PrimitiveStringObject::~PrimitiveStringObject() = default;

void PrimitiveStringObject::execute(Thread&, const std::string&, const std::string&, const std::string&,
                                    const ParameterList&) {}

bool PrimitiveStringObject::beginResult(Thread& thread, const std::string& resultName, bool stringFirst,
                                        ResultCall& call) {
    call.nil = thread.lookup("nil");
    if (!call.nil) return false;
    if (stringFirst && !(call.string = thread.lookup("String"))) return false;
    if (resultName.empty()) return false;
    call.result = resolveTarget(thread, resultName, call.nil->target());
    if (!stringFirst && !(call.string = thread.lookup("String"))) return false;
    return true;
}

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
