// <invoke>: the operation set on the identifier texts of four parameters, the result delivered
// by looking its text up as a name.
#include "operations/Operations.h"
#include "vm/object/Names.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/ParameterBinding.h"

namespace {

// The text a parameter passes: the identifier text of what it denotes. An unbound literal is made,
// bound in the global context, and counted once more by a reference that is never released.
const std::string* parameterText(Thread& thread, const std::string& name, Object* stringPrototype) {
    Object* object;
    if (Reference* found = thread.lookup(name)) {
        object = found->target();
    } else {
        if (!isStringLiteral(name)) return nullptr;
        object = makeLiteralObject(name, stringPrototype);
        thread.pool()->globalContext().addReference(name, object);
        object->incrementRefCount();
    }
    Member* id = object->lookupMember("<id>");
    StringObject* text = id ? id->target->asStringObject() : nullptr;
    return text ? &text->text() : nullptr;
}

} // namespace

void InvokePrimitiveStringObject::execute(Thread& thread, const std::string&, const std::string&,
                                          const std::string& resultName, const ParameterList& parameters) {
    Reference* nil = thread.lookup("nil");
    if (!nil) return;
    Reference* string = thread.lookup("String");
    if (!string || parameters.size() != 4) return;
    const std::string* texts[4];
    for (std::size_t i = 0; i < 4; ++i)
        if (!(texts[i] = parameterText(thread, parameters[i], string->target()))) return;
    std::string answer = applyOperation(*texts[0], *texts[1], *texts[2], *texts[3], Interfaces::StringOnly);

    Object* nilTarget = nil->target();
    Reference* nilNow = thread.lookup("nil");
    if (!thread.lookup(resultName) && !nilNow) return;
    ReferenceHandle result = resolveTarget(thread, resultName, nilNow ? nilNow->target() : nilTarget);
    if (Reference* named = thread.lookup(answer)) {
        result->rebind(named->target());
    } else if (isStringLiteral(answer)) {
        StringObject* literal = makeLiteralObject(answer, string->target());
        thread.currentContext()->addReference(answer, literal);
        result->rebind(literal);
    } else {
        result->rebind(nilTarget);
    }
}
