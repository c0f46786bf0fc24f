// The object registry.
#include "vm/object/Registry.h"

#include <vector>

#include "vm/object/Heap.h"
#include "vm/object/StringObject.h"

namespace registry {

Object* current() {
    Object* system = Heap::current().system();
    if (!system) return nullptr;
    Member* objects = system->getMember(names::objects);
    return objects ? objects->target() : nullptr;
}

void add(Object* object, const Symbol& key) {
    if (Object* registry = current()) registry->addRegistryMember(key, object);
}

bool wouldAdd(const Symbol& key) {
    Object* registry = current();
    return registry && !registry->isDead() && !registry->hasMember(key);
}

void rekey(Object* object, Object* newId) {
    Member* oldId = object->getId();
    StringObject* oldText = oldId ? oldId->target()->asStringObject() : nullptr;
    Object* registry = current();
    if (!oldText || !registry) return;
    Member* entry = registry->getMember(oldText->symbol());
    if (!entry || entry->counted()) return;
    Object* registered = entry->target();
    registry->removeMember(oldText->symbol());
    if (StringObject* newText = newId->asStringObject())
        registry->addRegistryMember(newText->symbol(), registered);
}

// The count of registry references on the object says whether there is any to look for, so most
// deletions skip the scan, and a string object's own entry, under its text, is looked at first.
void removeEntriesOf(Object* object) {
    Object* registry = current();
    if (!registry || object->registryEntries() == 0) return;
    auto isEntryOf = [object](const Member* member) {
        return member && !member->counted() && member->target() == object;
    };
    if (StringObject* string = object->asStringObject())
        if (isEntryOf(registry->getMember(string->symbol()))) registry->removeMember(string->symbol());
    if (object->registryEntries() == 0) return;
    std::vector<const Symbol*, SmallBlocks<const Symbol*>> keys;
    registry->forEachMember([&](const Symbol& key, const Member& member) {
        if (isEntryOf(&member)) keys.push_back(&key);
    });
    for (const Symbol* key : keys)
        registry->removeMember(*key);
}

} // namespace registry
