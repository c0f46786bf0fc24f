// Primitives: built-in methods, each a string object of its own class that works through names.
#pragma once

#include <string>
#include <vector>

#include "vm/object/StringObject.h"
#include "vm/runtime/Reference.h"

class Thread;
using ParameterList = std::vector<std::string>;

// The fifteen primitives, in the order the world makes them: X(class prefix, text, holder).
#define ORVEX_PRIMITIVES(X)                  \
    X(New, "new", nil)                       \
    X(Delete, "delete", nil)                 \
    X(Set, "set", nil)                       \
    X(Has, "has", nil)                       \
    X(FirstKey, "firstKey", nil)             \
    X(NextKey, "nextKey", nil)               \
    X(Remove, "remove", nil)                 \
    X(Get, "get", nil)                       \
    X(GetRefCount, "getRefCount", nil)       \
    X(Enter, "enter", nil)                   \
    X(Exit, "exit", nil)                     \
    X(Invoke, "invoke", Extern)              \
    X(LockTwoPoints, "lockTwoPoints", nil)   \
    X(UnlockTwoPoints, "unlockTwoPoints", nil) \
    X(Print, "print", nil)

class PrimitiveStringObject : public StringObject {
public:
    explicit PrimitiveStringObject(std::string_view text);
    ~PrimitiveStringObject() override;

    // receiverName and memberName as written in the calling statement; resultName its target
    // (empty for the asynchronous form); parameters the names written between the parentheses,
    // which no primitive changes.
    virtual void execute(Thread& thread, const std::string& receiverName, const std::string& memberName,
                         const std::string& resultName, const ParameterList& parameters);

protected:
    // The start that every primitive delivering a result shares: "nil" bound, a result name given,
    // the result reference resolved, and "String" bound (looked up before the result is resolved
    // when stringFirst, after it otherwise). False where the call ends.
    struct ResultCall {
        Reference* nil = nullptr;
        Reference* string = nullptr;
        ReferenceHandle result;
    };
    static bool beginResult(Thread& thread, const std::string& resultName, bool stringFirst, ResultCall& call);
    // What a parameter name denotes: its binding's target, or a literal made for it (bound
    // nowhere; the reference made to reach it is never released). Null when neither.
    static Object* resolveParameter(Thread& thread, const std::string& name, Object* stringPrototype);
    // The text of an object's own <id> when that is a string object, or null.
    static const std::string* identifierText(Object* object);
    // The receiver: the target of the receiver name's binding, or null.
    static Object* receiver(Thread& thread, const std::string& receiverName);
};

#define ORVEX_DECLARE_PRIMITIVE(Name, text, holder)                                                             \
    class Name##PrimitiveStringObject : public PrimitiveStringObject {                                           \
    public:                                                                                                      \
        Name##PrimitiveStringObject() : PrimitiveStringObject(text) {}                                           \
        void execute(Thread& thread, const std::string& receiverName, const std::string& memberName,             \
                     const std::string& resultName, const ParameterList& parameters) override;                          \
    };
ORVEX_PRIMITIVES(ORVEX_DECLARE_PRIMITIVE)
#undef ORVEX_DECLARE_PRIMITIVE
