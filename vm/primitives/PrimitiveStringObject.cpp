// The primitive base and the procedures the primitives share.
#include "vm/primitives/PrimitiveStringObject.h"

#include "vm/runtime/Resolution.h"
#include "vm/runtime/Thread.h"

PrimitiveStringObject::PrimitiveStringObject(std::string_view text) : StringObject(text) {
    kind_ = Kind::Primitive;
}

PrimitiveStringObject::~PrimitiveStringObject() = default;

void PrimitiveStringObject::execute(Thread&, const Symbol&, const Symbol&, const Symbol&,
                                    const ParameterList&) {}

bool PrimitiveStringObject::beginResult(Thread& thread, const Symbol& resultName, StringLookup stringLookup,
                                        ResultCall& call) {
    call.nil = boundObject(thread, names::nil);
    if (!call.nil) return false;
    if (stringLookup == StringLookup::BeforeResult && !(call.string = boundObject(thread, names::string)))
        return false;
    if (resultName.empty()) return false;
    call.result = resolveTarget(thread, resultName, call.nil);
    if (stringLookup == StringLookup::AfterResult && !(call.string = boundObject(thread, names::string)))
        return false;
    return true;
}

const Symbol* identifierText(Object* object, IdLookup lookup) {
    Member* id = lookup == IdLookup::Own ? object->getId() : object->lookupMember(names::id);
    StringObject* text = id ? id->target()->asStringObject() : nullptr;
    return text ? &text->symbol() : nullptr;
}
