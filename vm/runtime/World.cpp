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
    Object* nil = heap.make<Object>("nil");
    Object* nilName = heap.make<StringObject>("nil");
    Object* string = heap.make<Object>("String");
    Object* stringName = heap.make<StringObject>("String");
    Object* externObject = heap.make<Object>("Extern");
    Object* externName = heap.make<StringObject>("Extern");
    Object* systemName = heap.make<StringObject>("System");

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
        link.object->addMember("<id>", link.id);
        link.object->addMember("<super>", link.super);
    }

    Object* registry = heap.make<StringObject>("<objects>");
    registry->addMember("<id>", registry);
    registry->addMember("<super>", string);
    system->addMember("<objects>", registry);

    const struct {
        const char* name;
        Object* object;
    } names[] = {{"nil", nil},
                 {"<nil>", nilName},
                 {"String", string},
                 {"<String>", stringName},
                 {"Extern", externObject},
                 {"<Extern>", externName},
                 {"System", system},
                 {"<System>", systemName}};
    for (const auto& entry : names)
        registry->addRegistryMember(entry.name, entry.object);
    registry->addRegistryMember("<objects>", registry);

    // Each primitive registers itself under its plain name and is held as "<name>".
#define ORVEX_MAKE_PRIMITIVE(Name, text, holder)                                                             \
    {                                                                                                        \
        Object* primitive = heap.make<Name##PrimitiveStringObject>();                                        \
        primitive->addMember("<id>", primitive);                                                             \
        primitive->addMember("<super>", string);                                                             \
        (std::string_view(#holder) == "nil" ? nil : externObject)->addMember("<" text ">", primitive);       \
    }
    ORVEX_PRIMITIVES(ORVEX_MAKE_PRIMITIVE)
#undef ORVEX_MAKE_PRIMITIVE

    for (const auto& entry : names)
        global.addReference(entry.name, entry.object);
}
