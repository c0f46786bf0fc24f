// Walking an object's members and reading reference counts: <firstKey> <nextKey> <getRefCount>.
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/Thread.h"

void FirstKeyPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                            const Symbol& resultName, const ParameterList&) {
    Object* object = boundObject(thread, receiverName);
    ResultCall call;
    if (!object || !beginResult(thread, resultName, StringLookup::AfterResult, call)) return;
    Member* first = object->firstMember();
    call.result->rebind(first ? first->target() : call.nil);
}

// Key mode for a literal: the member after that key. Value mode for a name: the member after
// the first one that refers to what the name denotes. A literal is never made here.
void NextKeyPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                           const Symbol& resultName, const ParameterList& parameters) {
    ResultCall call;
    if (!beginResult(thread, resultName, StringLookup::BeforeResult, call)) return;
    Object* object = boundObject(thread, receiverName);
    if (!object) return;
    Member* next = nullptr;
    if (takes(1, parameters)) {
        const Symbol& key = *parameters[0];
        if (isStringLiteral(key)) {
            next = object->getMember(key) ? object->memberAfterKey(key) : nullptr;
        } else if (Object* value = boundObject(thread, key)) {
            next = object->memberAfterTarget(value);
        }
    }
    call.result->rebind(next ? next->target() : call.nil);
}

void GetRefCountPrimitiveStringObject::execute(Thread& thread, const Symbol& receiverName, const Symbol&,
                                               const Symbol& resultName, const ParameterList&) {
    Object* object = boundObject(thread, receiverName);
    ResultCall call;
    if (!object || !beginResult(thread, resultName, StringLookup::AfterResult, call)) return;
    // Read after the result is resolved: a binding just made to the receiver counts.
    const Symbol& count = SymbolTable::current().internComputed(formatNumberLiteral(object->refCount()));
    call.result->rebind(makeLiteralObject(count, call.string));
}
