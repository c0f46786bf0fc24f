// Turning a call's parameter names into the parameter object, and resolving target names.
#pragma once

#include <string>
#include <string_view>

#include "vm/runtime/Reference.h"
#include "vm/statements/Statement.h"

class Object;
class StringObject;
class Thread;

struct BoundParameters {
    StringObject* object; // always made
    bool complete;        // false when a name was neither bound nor a string literal
};

// Members <0>, <1>, ... refer to what each name denotes; an unbound string literal is made on
// the spot and bound in the thread's current context.
BoundParameters bindParameters(Thread& thread, const ParameterList& parameters, Object* stringPrototype);

// The reference a result goes to: the innermost binding of name, or else a new binding of name
// to nil in the current context. A binding refused there leaves a reference that lives as long
// as the handle, its count kept.
ReferenceHandle resolveTarget(Thread& thread, std::string_view name, Object* nilTarget);

// A string literal named by a statement and bound nowhere: made, counted once more by a working
// reference that is never released, and bound under its own text in the current context.
Object* makeNamedLiteral(Thread& thread, const std::string& name, Object* prototype);
