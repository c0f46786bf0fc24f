// Walking an object's members and reading reference counts: <firstKey> <nextKey> <getRefCount>.
#include "vm/object/Names.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Thread.h"
#include "vm/statements/ParameterBinding.h"

void FirstKeyPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                            const std::string& resultName, ParameterList) {
    Object* object = receiver(thread, receiverName);
    if (!object) return;
    Reference* nil = thread.lookup("nil");
    if (!nil || resultName.empty()) return;
    ReferenceHandle result = resolveTarget(thread, resultName, nil->target());
    if (!thread.lookup("String")) return;
    Member* first = object->firstMember();
    result->rebind(first ? first->target : nil->target());
}

// Key mode for a literal: the member after that key. Value mode for a name: the member after
// the first one that refers to what the name denotes.
void NextKeyPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                           const std::string& resultName, ParameterList parameters) {
    Reference* nil = thread.lookup("nil");
    if (!nil || !thread.lookup("String") || resultName.empty()) return;
    ReferenceHandle result = resolveTarget(thread, resultName, nil->target());
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
    result->rebind(next ? next->target : nil->target());
}

void GetRefCountPrimitiveStringObject::execute(Thread& thread, const std::string& receiverName, const std::string&,
                                               const std::string& resultName, ParameterList) {
    Object* object = receiver(thread, receiverName);
    if (!object) return;
    Reference* nil = thread.lookup("nil");
    if (!nil || resultName.empty()) return;
    ReferenceHandle result = resolveTarget(thread, resultName, nil->target());
    Reference* string = thread.lookup("String");
    if (!string) return;
    result->rebind(makeLiteralObject(formatNumberLiteral(object->refCount()), string->target()));
}
