// Walking an object's members and reading reference counts: <firstKey> <nextKey> <getRefCount>.
#include "vm/object/Names.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Thread.h"
#include "vm/statements/ParameterBinding.h"

void FirstKeyPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                            const std::string& resultName, const ParameterList&) {
    Object* object = receiver(thread, receiverName);
    ResultCall call;
    if (!object || !beginResult(thread, resultName, false, call)) return;
    Member* first = object->firstMember();
    call.result->rebind(first ? first->target : call.nil->target());
}

// Key mode for a literal: the member after that key. Value mode for a name: the member after
// the first one that refers to what the name denotes.
void NextKeyPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                           const std::string& resultName, const ParameterList& parameters) {
    ResultCall call;
    if (!beginResult(thread, resultName, true, call)) return;
    Object* object = receiver(thread, receiverName);
    if (!object) return;
    Member* next = nullptr;
    if (parameters.size() == 1) {
        const std::string& key = parameters[0];
        if (isStringLiteral(key)) {
            next = object->getMember(key) ? object->memberAfterKey(key) : nullptr;
        } else if (Reference* value = thread.lookup(key)) {
            next = object->memberAfterTarget(value->target());
        }
    }
    call.result->rebind(next ? next->target : call.nil->target());
}

void GetRefCountPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                               const std::string& resultName, const ParameterList&) {
    Object* object = receiver(thread, receiverName);
    ResultCall call;
    if (!object || !beginResult(thread, resultName, false, call)) return;
    call.result->rebind(makeLiteralObject(formatNumberLiteral(object->refCount()), call.string->target()));
}
