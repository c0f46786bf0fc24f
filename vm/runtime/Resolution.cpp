// Names turned into objects and target references.
#include "vm/runtime/Resolution.h"

#include "vm/object/StringObject.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"

StringObject* makeLiteral(Thread& thread, const Symbol& name, Object* stringPrototype, LiteralPolicy policy) {
    StringObject* literal = makeLiteralObject(name, stringPrototype);
    if (policy.keepsWorkingReference) literal->incrementRefCount();
    switch (policy.binding) {
    case LiteralBinding::CurrentContext:
        thread.currentContext().addLazyReference(name, literal);
        break;
    case LiteralBinding::GlobalContext:
        thread.bottomContext().addLazyReference(name, literal);
        break;
    case LiteralBinding::Nowhere:
        break;
    }
    return literal;
}

Object* resolveUnbound(Thread& thread, const Symbol& name, Object* stringPrototype, LiteralPolicy policy) {
    if (!isStringLiteral(name)) return stopUnbound(name);
    return makeLiteral(thread, name, stringPrototype, policy);
}

ReferenceHandle bindTarget(Thread& thread, const Symbol& name, Object* nilTarget) {
    auto* made = new Reference(nilTarget);
    ReferenceHandle handle(made);
    thread.currentContext().addSharedReference(name, made);
    return handle;
}

Object* stopUnbound(const Symbol& name) {
    noteStop(SilentStop::Unbound, name.text());
    return nullptr;
}
