// The object registry: the object that System's <objects> member refers to when an operation
// runs. Every object made registers in it under its key (a string object under its text, an object
// of <new> under its identifier), the first key wins, and an entry is an uncounted registry
// reference. A program may replace or delete that member: then these act on the new registry, or
// on none.
#pragma once

class Object;
struct Symbol;

namespace registry {

// System's own <objects> member's target, when there is one.
Object* current();
// Registers object under key.
void add(Object* object, const Symbol& key);
// Whether an object made now under key would be registered: the registry is there, alive, and has
// no member key.
bool wouldAdd(const Symbol& key);
// Object's <id> becomes newId: its entry moves from the old identifier's text to the new one's.
// Only the uncounted entry moves; a counted member under that key is the registry's own.
void rekey(Object* object, Object* newId);
// Every entry that names object goes (<delete>); the registry's counted members stay.
void removeEntriesOf(Object* object);

} // namespace registry
