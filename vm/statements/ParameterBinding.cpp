// Parameter objects and target resolution.
#include "vm/statements/ParameterBinding.h"

#include "vm/object/Heap.h"
#include "vm/object/Names.h"
#include "vm/object/StringObject.h"
#include "vm/runtime/Thread.h"

BoundParameters bindParameters(Thread& thread, const ParameterList& parameters, Object* stringPrototype) {
    StringObject* object = makeLiteralObject("params", stringPrototype);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const std::string& name = parameters[i];
        std::string key = formatNumberLiteral(static_cast<std::int32_t>(i));
        if (Reference* reference = thread.lookup(name)) {
            object->addMember(key, reference->target());
        } else if (isStringLiteral(name)) {
            StringObject* literal = makeLiteralObject(name, stringPrototype);
            object->addMember(key, literal);
            if (Context* context = thread.currentContext()) context->addReference(name, literal);
        } else {
            return {object, false};
        }
    }
    return {object, true};
}

ReferenceHandle resolveTarget(Thread& thread, std::string_view name, Object* nilTarget) {
    if (Reference* found = thread.lookup(name)) return ReferenceHandle(found);
    auto* made = new Reference(nilTarget);
    ReferenceHandle handle(made);
    if (Context* context = thread.currentContext()) context->addSharedReference(name, made);
    return handle;
}

// A literal named by a statement: made, counted once by a working reference that is never
// released, and bound under its own text in the current context.
Object* makeNamedLiteral(Thread& thread, const std::string& name, Object* prototype) {
    StringObject* literal = Heap::instance().make<StringObject>(name);
    literal->incrementRefCount();
    literal->addMember("<id>", literal);
    literal->addMember("<super>", prototype);
    if (Context* context = thread.currentContext()) context->addReference(name, literal);
    return literal;
}

