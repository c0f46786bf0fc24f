// Calls: starting code, its parameter object and its frame.
#include "vm/runtime/Call.h"

#include <utility>

#include "vm/object/Registry.h"
#include "vm/object/StringObject.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"

std::optional<Context> startCall(Thread& thread, CodeRef code, CallMode mode) {
    ThreadPool* pool = thread.pool();
    if (!pool) return std::nullopt;
    if (mode == CallMode::Asynchronous) {
        RootEvaluation* added = pool->addEvaluation(std::move(code), &thread);
        pool->setCurrentEvaluation(added, added);
        return thread.currentContext();
    }
    RootEvaluation* root = pool->currentRoot();
    if (!root) return std::nullopt;
    std::size_t frameSize = code->frameSize();
    pool->setCurrentEvaluation(root->startChild(std::move(code)), root);
    Context context = thread.currentContext();
    context.reserve(frameSize);
    return context;
}

ParameterObject makeParameterObject(Thread& thread, const ParameterList& parameters,
                                    Object* stringPrototype) {
    if (parameters.empty() && !registry::wouldAdd(names::params)) {
        stringPrototype->incrementRefCount();
        return {nullptr, stringPrototype, true};
    }
    StringObject* object = makeLiteralObject(names::params, stringPrototype);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        Object* value = resolveName(thread, *parameters[i], stringPrototype, literals::callParameter);
        if (!value) return {object, nullptr, false};
        object->addMember(numberLiteral(static_cast<std::int32_t>(i)), value);
    }
    return {object, nullptr, true};
}

// A deferred object was counted on its prototype when the call was made: it counts once, whenever
// it is made.
static StringObject* makeDeferred(Object* prototype) {
    StringObject* object = makeLiteralObject(names::params, prototype, StringObject::Registration::Skip);
    prototype->decrementRefCount();
    return object;
}

StringObject* ParameterObject::make() {
    if (!object) object = makeDeferred(std::exchange(deferredPrototype, nullptr));
    return object;
}

Object* Reference::makeTarget() const {
    Object* prototype = target_;
    target_ = makeDeferred(prototype);
    target_->incrementRefCount();
    target_->addPointer();
    prototype->dropPointer();
    deferred_ = false;
    return target_;
}

void bindFrame(Context context, const CallFrame& frame) {
    // Room for the frame, and in a method's one more: a method mostly binds a literal or a local of
    // its own, where code run for its effect (a branch) mostly calls on. A code that has finished a
    // run had room made at its start for what that run bound (startCall).
    bool method = frame.sender != nullptr;
    // "return" bound to no reference takes no binding.
    context.reserve(2 * method + (frame.mySelf != nullptr) + (frame.result && *frame.result) +
                    (frame.parameters != nullptr));
    if (frame.sender) context.addLazyReference(names::sender, frame.sender);
    if (frame.mySelf) context.addLazyReference(names::mySelf, frame.mySelf);
    if (frame.result) context.addSharedReference(names::returnName, *frame.result);
    if (!frame.parameters) return;
    if (frame.parameters->object) {
        context.addLazyReference(names::params, frame.parameters->object);
        return;
    }
    // Refused, the object it stood for would only have been left unreachable, counted once more.
    context.addDeferredParameters(names::params, frame.parameters->deferredPrototype);
}
