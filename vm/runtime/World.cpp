// Building the initial world, in the order that fixes its reference counts and registry.
#include "vm/runtime/World.h"

#include "vm/object/Heap.h"
#include "vm/object/StringObject.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Context.h"

void buildWorld(Context global) {
    Heap& heap = Heap::current();
    Object* system = heap.system();
    // Nothing registers yet: System has no <objects> member until the registry exists.
    Object* nil = heap.make<Object>(names::nil);
    Object* nilName = heap.make<StringObject>(names::nil);
    Object* string = heap.make<Object>(names::string);
    Object* stringName = heap.make<StringObject>(names::string);
    Object* externObject = heap.make<Object>(names::externObject);
    Object* externName = heap.make<StringObject>(names::externObject);
    Object* systemName = heap.make<StringObject>(names::system);

    const struct {
        Object* object;
        Object* id;
        Object* super;
    } links[] = {{nil, nilName, nil},
                 {nilName, nilName, string},
                 {string, stringName, nil},
                 {stringName, stringName, string},
                 {externObject, externName, nil},
                 {externName, externName, string},
                 {system, systemName, nil},
                 {systemName, systemName, string}};
    for (const auto& link : links) {
        link.object->addMember(names::id, link.id);
        link.object->addMember(names::super, link.super);
    }

    Object* registry = heap.make<StringObject>(names::objects);
    registry->indexMembersByNumber();
    registry->addMember(names::id, registry);
    registry->addMember(names::super, string);
    system->addMember(names::objects, registry);

    const struct {
        const Symbol& name;
        Object* object;
    } bound[] = {{names::nil, nil},
                 {names::nilLiteral, nilName},
                 {names::string, string},
                 {names::stringLiteral, stringName},
                 {names::externObject, externObject},
                 {names::externLiteral, externName},
                 {names::system, system},
                 {names::systemLiteral, systemName}};
    for (const auto& entry : bound)
        registry->addRegistryMember(entry.name, entry.object);
    registry->addRegistryMember(names::objects, registry);

    // Each primitive registers itself under its plain name and is held as "<name>".
#define ORVEX_MAKE_PRIMITIVE(Name, text, holder)                                                             \
    {                                                                                                        \
        Object* primitive = heap.make<Name##PrimitiveStringObject>();                                        \
        primitive->addMember(names::id, primitive);                                                          \
        primitive->addMember(names::super, string);                                                          \
        (std::string_view(#holder) == "nil" ? nil : externObject)->addMember("<" text ">", primitive);       \
    }
    ORVEX_PRIMITIVES(ORVEX_MAKE_PRIMITIVE)
#undef ORVEX_MAKE_PRIMITIVE

    for (const auto& entry : bound)
        global.addLazyReference(entry.name, entry.object);
}
