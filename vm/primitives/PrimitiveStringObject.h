// Primitives: built-in methods, each a string object of its own class that works through names.
#pragma once

#include <string>

#include "vm/object/StringObject.h"
#include "vm/runtime/Reference.h"
#include "vm/symbols/Names.h"

class Thread;

// The fifteen primitives, in the order the world makes them: X(class prefix, text, holder).
#define ORVEX_PRIMITIVES(X)                                                                                  \
    X(New, "new", nil)                                                                                       \
    X(Delete, "delete", nil)                                                                                 \
    X(Set, "set", nil)                                                                                       \
    X(Has, "has", nil)                                                                                       \
    X(FirstKey, "firstKey", nil)                                                                             \
    X(NextKey, "nextKey", nil)                                                                               \
    X(Remove, "remove", nil)                                                                                 \
    X(Get, "get", nil)                                                                                       \
    X(GetRefCount, "getRefCount", nil)                                                                       \
    X(Enter, "enter", nil)                                                                                   \
    X(Exit, "exit", nil)                                                                                     \
    X(Invoke, "invoke", Extern)                                                                              \
    X(LockTwoPoints, "lockTwoPoints", nil)                                                                   \
    X(UnlockTwoPoints, "unlockTwoPoints", nil)                                                               \
    X(Print, "print", nil)

class PrimitiveStringObject : public StringObject {
  public:
    // receiverName and memberName as written in the calling statement; resultName its target
    // (empty for the asynchronous form); parameters the names written between the parentheses,
    // which no primitive changes.
    using Procedure = void (*)(PrimitiveStringObject& primitive, Thread& thread, const Symbol& receiverName,
                               const Symbol& memberName, const Symbol& resultName,
                               const ParameterList& parameters);
    PrimitiveStringObject(std::string_view text, Procedure procedure);

    // Runs the primitive's own execute. A procedure pointer rather than a virtual function: no
    // object carries a table of functions for the fifteen that would use it.
    void run(Thread& thread, const Symbol& receiverName, const Symbol& memberName, const Symbol& resultName,
             const ParameterList& parameters) {
        procedure_(*this, thread, receiverName, memberName, resultName, parameters);
    }

  protected:
    // The start that every primitive delivering a result shares: "nil" bound, a result name given,
    // the result reference resolved, and "String" bound, looked up before or after the result is
    // resolved (which can bind the result name). False where the call ends.
    enum class StringLookup { BeforeResult, AfterResult };
    struct ResultCall {
        Object* nil = nullptr;
        Object* string = nullptr;
        ReferenceHandle result;
    };
    bool beginResult(Thread& thread, const Symbol& resultName, StringLookup stringLookup,
                     ResultCall& call) const;
    // A call with another number of parameters than the primitive takes: false, noted (out of
    // line, off the path a running program takes).
    bool takes(std::size_t expected, const ParameterList& parameters) const {
        if (parameters.size() == expected) [[likely]]
            return true;
        noteParameterCount(expected, parameters.size());
        return false;
    }
    void noteParameterCount(std::size_t expected, std::size_t got) const;

  private:
    Procedure procedure_;
};
static_assert(sizeof(PrimitiveStringObject) == primitiveObjectSize, "Object::free knows a primitive's size");

// The text of an object's <id> when that is a string object, or null. <get>, <has> and <remove>
// read the object's own <id>; <print> and <invoke> inherit one along <super>.
enum class IdLookup { Own, Inherited };
// A primitive that cannot go on without it names the object as the program did: a watcher of the
// run is told when there is none.
// Inline: every parameter of <invoke> asks it. Most objects hold their own <id>: the walk up the
// <super> chain is for the others.
[[gnu::cold]] const Symbol* noIdentifier(const Symbol* name);
inline const Symbol* identifierText(Object* object, IdLookup lookup = IdLookup::Own,
                                    const Symbol* name = nullptr) {
    Member* id = object->getId();
    if (!id && lookup == IdLookup::Inherited) id = object->lookupMember(names::id);
    StringObject* text = id ? id->target()->asStringObject() : nullptr;
    if (text) [[likely]]
        return &text->symbol();
    return noIdentifier(name);
}

// A primitive that is still alive, or null.
inline PrimitiveStringObject* asPrimitive(Object* object) {
    return object->isPrimitive() ? static_cast<PrimitiveStringObject*>(object) : nullptr;
}

#define ORVEX_DECLARE_PRIMITIVE(Name, text, holder)                                                          \
    class Name##PrimitiveStringObject : public PrimitiveStringObject {                                       \
      public:                                                                                                \
        Name##PrimitiveStringObject()                                                                        \
            : PrimitiveStringObject(text, [](PrimitiveStringObject& primitive, Thread& thread,               \
                                             const Symbol& receiverName, const Symbol& memberName,           \
                                             const Symbol& resultName, const ParameterList& parameters) {    \
                  static_cast<Name##PrimitiveStringObject&>(primitive).execute(                              \
                      thread, receiverName, memberName, resultName, parameters);                             \
              }) {}                                                                                          \
        void execute(Thread& thread, const Symbol& receiverName, const Symbol& memberName,                   \
                     const Symbol& resultName, const ParameterList& parameters);                             \
    };                                                                                                       \
    static_assert(sizeof(Name##PrimitiveStringObject) == sizeof(PrimitiveStringObject));
ORVEX_PRIMITIVES(ORVEX_DECLARE_PRIMITIVE)
#undef ORVEX_DECLARE_PRIMITIVE
