// The primitives that make, destroy and edit objects: <new> <delete> <set> <get> <has> <remove>.
#include "vm/object/Heap.h"
#include "vm/object/ObjectId.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/Thread.h"

namespace {

// Every registry reference that names a deleted object goes with it; the registry's counted members
// (its own <id> and <super>, members a program set) stay and now refer to a dead object. The count
// of registry references on the object says whether there is any to look for, so most deletions
// skip the scan, and a string object's own entry, under its text, is looked at first.
void unregister(Object* object) {
    Object* system = Heap::instance().system();
    Member* objects = system ? system->getMember(names::objects) : nullptr;
    if (!objects || object->registryEntries() == 0) return;
    Object* registry = objects->target();
    auto isEntryOf = [object](const Member* member) {
        return member && !member->counted() && member->target() == object;
    };
    if (StringObject* string = object->asStringObject())
        if (isEntryOf(registry->getMember(string->symbol()))) registry->removeMember(string->symbol());
    if (object->registryEntries() == 0) return;
    std::vector<const Symbol*> keys;
    registry->forEachMember([&](const Symbol& key, const Member& member) {
        if (isEntryOf(&member)) keys.push_back(&key);
    });
    for (const Symbol* key : keys)
        registry->removeMember(*key);
}

} // namespace

void NewPrimitiveStringObject::execute(Thread& thread, const Symbol&, const Symbol&, const Symbol& resultName,
                                       const ParameterList&) {
    ResultCall call;
    if (!beginResult(thread, resultName, StringLookup::BeforeResult, call)) return;
    const Symbol& id = intern(newObjectId());
    StringObject* identifier = makeLiteralObject(id, call.string);
    Object* object = Heap::instance().make<Object>(id);
    object->addMember(names::id, identifier);
    object->addMember(names::super, call.nil);
    call.result->rebind(object);
}

void DeletePrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                          const Symbol&, const ParameterList&) {
    Object* object = boundObject(thread, receiverName);
    if (!object) return;
    unregister(object);
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
