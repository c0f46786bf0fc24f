// The primitives that make, destroy and edit objects: <new> <delete> <set> <get> <has> <remove>.
#include "vm/object/Heap.h"
#include "vm/object/ObjectId.h"
#include "vm/object/Registry.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/Thread.h"

void NewPrimitiveStringObject::execute(Thread& thread, const Symbol&, const Symbol&, const Symbol& resultName,
                                       const ParameterList&) {
    ResultCall call;
    if (!beginResult(thread, resultName, StringLookup::BeforeResult, call)) return;
    const Symbol& id = intern(newObjectId());
    StringObject* identifier = makeLiteralObject(id, call.string);
    Object* object = Heap::current().make<Object>(id);
    object->addIdAndSuper(identifier, call.nil);
    call.result->rebind(object);
}

void DeletePrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                          const Symbol&, const ParameterList&) {
    Object* object = boundObject(thread, receiverName);
    if (!object) return;
    registry::removeEntriesOf(object);
    object->kill();
    thread.contextOf(receiverName)->discardBinding(receiverName);
}

void SetPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                       const Symbol&, const ParameterList& parameters) {
    Object* string = requireBound(thread, names::string);
    if (!string || !takes(2, parameters)) return;
    Object* value = resolveName(thread, *parameters[1], string, literals::setValue);
    if (!value) return;
    Object* object = boundObject(thread, receiverName);
    if (!object) {
        value->incrementRefCount(); // the reference made for the member, never stored
        return;
    }
    object->setMember(*parameters[0], value); // the key as written, not resolved
}

void GetPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                       const Symbol& resultName, const ParameterList& parameters) {
    ResultCall call;
    if (!beginResult(thread, resultName, StringLookup::BeforeResult, call)) return;
    if (!takes(1, parameters)) {
        call.result->rebind(call.nil);
        return;
    }
    Object* key = resolveName(thread, *parameters[0], call.string, literals::primitiveKey);
    if (!key) return;
    const Symbol* keyText = identifierText(key, IdLookup::Own, parameters[0]);
    Object* object = boundObject(thread, receiverName);
    Member* member = keyText && object ? object->lookupMember(*keyText) : nullptr;
    call.result->rebind(member ? member->target() : call.nil);
}

void HasPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                       const Symbol& resultName, const ParameterList& parameters) {
    ResultCall call;
    if (!beginResult(thread, resultName, StringLookup::BeforeResult, call) || !takes(1, parameters)) return;
    Object* key = resolveName(thread, *parameters[0], call.string, literals::primitiveKey);
    if (!key) return;
    const Symbol* keyText = identifierText(key, IdLookup::Own, parameters[0]);
    Object* object = boundObject(thread, receiverName);
    if (!keyText || !object) return;
    Object* answer = requireBound(thread, object->getMember(*keyText) ? names::trueName : names::falseName);
    if (answer) call.result->rebind(answer);
}

void RemovePrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                          const Symbol&, const ParameterList& parameters) {
    Object* string = requireBound(thread, names::string);
    if (!string || !takes(1, parameters)) return;
    Object* key = resolveName(thread, *parameters[0], string, literals::primitiveKey);
    if (!key) return;
    const Symbol* keyText = identifierText(key, IdLookup::Own, parameters[0]);
    Object* object = boundObject(thread, receiverName);
    if (keyText && object) object->removeMember(*keyText);
}
