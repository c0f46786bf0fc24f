// How a name becomes an object. A name bound in some context denotes that binding's target. A
// string literal bound nowhere denotes a new string object with that very text; where the new
// string gets bound, and whether the reference made to reach it is left counted, differ between
// the statements and primitives that make one, so each of them names its policy here.
#pragma once

#include <string_view>

#include "vm/object/StringObject.h"
#include "vm/runtime/Reference.h"
#include "vm/runtime/Thread.h"
#include "vm/symbols/Names.h"

enum class LiteralBinding { CurrentContext, GlobalContext, Nowhere };

struct LiteralPolicy {
    LiteralBinding binding;
    // A reference made to reach the new string and never released: one more on its count.
    bool keepsWorkingReference;
};

namespace literals {
// A statement's own names: the source of an assignment, the receiver of a colon statement.
inline constexpr LiteralPolicy statementName{LiteralBinding::CurrentContext, true};
// A parameter of a call: the parameter object's member holds it.
inline constexpr LiteralPolicy callParameter{LiteralBinding::CurrentContext, false};
// The key of <get>, <has>, <remove>: used for its text alone.
inline constexpr LiteralPolicy primitiveKey{LiteralBinding::Nowhere, true};
// The value of <set>: visible from every context afterwards; the member holds it.
inline constexpr LiteralPolicy setValue{LiteralBinding::GlobalContext, false};
// An operand of <invoke>, and its answer.
inline constexpr LiteralPolicy invokeOperand{LiteralBinding::GlobalContext, true};
inline constexpr LiteralPolicy invokeAnswer{LiteralBinding::CurrentContext, false};
} // namespace literals

// What name denotes: its innermost binding's target or, for a string literal, a string made as
// policy says, whose <super> is stringPrototype. Null when name is neither.
// Inline: a bound name is the common case, and every parameter of a primitive is resolved.
Object* resolveUnbound(Thread& thread, const Symbol& name, Object* stringPrototype, LiteralPolicy policy);
inline Object* resolveName(Thread& thread, const Symbol& name, Object* stringPrototype,
                           LiteralPolicy policy) {
    if (Object* found = thread.lookupObject(name)) return found;
    return resolveUnbound(thread, name, stringPrototype, policy);
}
// The making half alone, for a literal known to be bound nowhere.
StringObject* makeLiteral(Thread& thread, const Symbol& name, Object* stringPrototype, LiteralPolicy policy);

// The reference a result goes to: the innermost binding of name, or else a new binding of name to
// nil in the current context. A binding refused there leaves a reference that lives as long as
// the handle, its count kept.
// Inline, its unbound case (bindTarget) apart: most results go to a name bound already.
ReferenceHandle bindTarget(Thread& thread, const Symbol& name, Object* nilTarget);
inline ReferenceHandle resolveTarget(Thread& thread, const Symbol& name, Object* nilTarget) {
    if (Reference* found = thread.lookup(name)) return ReferenceHandle(found);
    return bindTarget(thread, name, nilTarget);
}

// The target of name's innermost binding, or null.
inline Object* boundObject(const Thread& thread, const Symbol& name) {
    return thread.lookupObject(name);
}
// Tells a watcher of the run that name is bound nowhere; null.
[[gnu::cold]] Object* stopUnbound(const Symbol& name);
// boundObject where a statement cannot go on without it: a null ends the statement, and a watcher
// of the run is told. Inline: every statement asks it, for "nil" at least.
inline Object* requireBound(const Thread& thread, const Symbol& name) {
    Object* found = thread.lookupObject(name);
    return found ? found : stopUnbound(name);
}
