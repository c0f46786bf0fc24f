// The primitives that make, destroy and edit objects: <new> <delete> <set> <get> <has> <remove>.
#include "vm/object/Heap.h"
#include "vm/object/Names.h"
#include "vm/object/ObjectId.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/ParameterBinding.h"

namespace {

// Every registry reference that names a deleted object goes with it; the registry's counted members
// (its own <id> and <super>, members a program set) stay and now refer to a dead object. The count
// of registry references on the object says whether there is any to look for, so most deletions
// skip the scan, and a string object's own entry, under its text, is looked at first.
void unregister(Object* object) {
    Object* system = Heap::instance().system();
    Member* objects = system ? system->getMember("<objects>") : nullptr;
    if (!objects || object->registryEntries() == 0) return;
    Object* registry = objects->target;
    auto isEntryOf = [object](const Member* member) { return member && !member->counted && member->target == object; };
    if (StringObject* string = object->asStringObject())
        if (isEntryOf(registry->getMember(string->text()))) registry->removeMember(string->text());
    if (object->registryEntries() == 0) return;
    std::vector<std::string> keys;
    registry->forEachMember([&](const std::string& key, const Member& member) {
        if (isEntryOf(&member)) keys.push_back(key);
    });
    for (const std::string& key : keys) registry->removeMember(key);
}

} // namespace

void NewPrimitiveStringObject::execute(Thread& thread, const std::string&, const std::string&,
                                       const std::string& resultName, const ParameterList&) {
    ResultCall call;
    if (!beginResult(thread, resultName, true, call)) return;
    std::string id = newObjectId();
    StringObject* identifier = makeLiteralObject(id, call.string->target());
    Object* object = Heap::instance().make<Object>(id);
    object->addMember("<id>", identifier);
    object->addMember("<super>", call.nil->target());
    call.result->rebind(object);
}

void DeletePrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                          const std::string&, const ParameterList&) {
    Reference* binding = thread.lookup(receiverName);
    if (!binding) return;
    Object* object = binding->target();
    unregister(object);
    object->kill();
    thread.contextOf(receiverName)->discardBinding(receiverName);
}

void SetPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                       const std::string&, const ParameterList& parameters) {
    Reference* string = thread.lookup("String");
    if (!string || parameters.size() != 2) return;
    const std::string& key = parameters[0];
    const std::string& valueName = parameters[1];
    Object* value;
    if (Reference* found = thread.lookup(valueName)) {
        value = found->target();
    } else {
        if (!isStringLiteral(valueName)) return;
        value = makeLiteralObject(valueName, string->target());
        thread.pool()->globalContext().addReference(valueName, value);
    }
    Object* object = receiver(thread, receiverName);
    if (!object) {
        value->incrementRefCount(); // the reference made for the member, never stored
        return;
    }
    object->setMember(key, value);
}

void GetPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                       const std::string& resultName, const ParameterList& parameters) {
    ResultCall call;
    if (!beginResult(thread, resultName, true, call)) return;
    if (parameters.size() != 1) {
        call.result->rebind(call.nil->target());
        return;
    }
    Object* key = resolveParameter(thread, parameters[0], call.string->target());
    if (!key) return;
    const std::string* keyText = identifierText(key);
    Object* object = receiver(thread, receiverName);
    Member* member = keyText && object ? object->lookupMember(*keyText) : nullptr;
    call.result->rebind(member ? member->target : call.nil->target());
}

void HasPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                       const std::string& resultName, const ParameterList& parameters) {
    ResultCall call;
    if (!beginResult(thread, resultName, true, call) || parameters.size() != 1) return;
    Object* key = resolveParameter(thread, parameters[0], call.string->target());
    if (!key) return;
    const std::string* keyText = identifierText(key);
    Object* object = receiver(thread, receiverName);
    if (!keyText || !object) return;
    Reference* answer = thread.lookup(object->getMember(*keyText) ? "true" : "false");
    if (answer) call.result->rebind(answer->target());
}

void RemovePrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                          const std::string&, const ParameterList& parameters) {
    Reference* string = thread.lookup("String");
    if (!string || parameters.size() != 1) return;
    Object* key = resolveParameter(thread, parameters[0], string->target());
    if (!key) return;
    const std::string* keyText = identifierText(key);
    Object* object = receiver(thread, receiverName);
    if (keyText && object) object->removeMember(*keyText);
}
