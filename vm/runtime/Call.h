// Calls. Every statement that runs code goes through here, in three steps:
//   1. startCall: the code becomes a synchronous child of the current evaluation, over a new
//      context pushed on the thread, or an asynchronous evaluation in the pool, which keeps the
//      caller's context;
//   2. makeParameterObject: the parameter object, whose members <0>, <1>, ... refer to what the
//      parameter names denote;
//   3. bindFrame: "sender", "mySelf", "return" and "params", in that order, in the context that
//      startCall answered.
// A step that fails ends the call there, keeping what was done: the child still runs its code,
// without the frame it did not get.
#pragma once

#include <optional>

#include "vm/runtime/Code.h"
#include "vm/runtime/Context.h"
#include "vm/symbols/Names.h"

class Object;
class Reference;
class StringObject;
class Thread;

enum class CallMode { Synchronous, Asynchronous };

// Starts code. Synchronous: the child becomes the pool's current evaluation and runs to its end
// before the caller's next statement. Asynchronous: the new evaluation waits for the scheduler.
// Answers the context the frame goes into, or none when no evaluation is running to be the parent
// (or no pool to join).
std::optional<Context> startCall(Thread& thread, CodeRef code, CallMode mode);

// A call without parameters defers its parameter object when nothing could tell it from one made
// at once: it would be registered nowhere (the key "params" is taken) and its count on the string
// prototype is taken now. It is made when something first reads it through "params", or never.
struct ParameterObject {
    StringObject* object;      // null while deferred
    Object* deferredPrototype; // while deferred: its <super>, counted already
    bool complete;             // false when a name was neither bound nor a string literal
    // The object, made now if it was deferred: for a caller that adds members of its own.
    StringObject* make();
};
// An unbound literal parameter is made and bound in the thread's current context: after a
// synchronous start that is the callee's.
ParameterObject makeParameterObject(Thread& thread, const ParameterList& parameters, Object* stringPrototype);

// What the called code finds. Absent parts are not bound.
struct CallFrame {
    Object* sender = nullptr; // message calls: the receiver
    Object* mySelf = nullptr; // and the object of its <super> chain that holds the method
    // Synchronous calls with a result: the caller's target reference, shared; a null reference
    // binds "return" to no reference.
    std::optional<Reference*> result;
    const ParameterObject* parameters = nullptr;
};
void bindFrame(Context context, const CallFrame& frame);
