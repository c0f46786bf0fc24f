// Calls: starting code, its parameter object and its frame.
#include "vm/runtime/Call.h"

#include "vm/object/StringObject.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"

Context* startCall(Thread& thread, CodeRef code, CallMode mode) {
    ThreadPool* pool = thread.pool();
    if (!pool) return nullptr;
    if (mode == CallMode::Asynchronous) {
        pool->setCurrentEvaluation(pool->addEvaluation(std::move(code), &thread));
        return thread.currentContext();
    }
    Evaluation* caller = pool->currentEvaluation();
    if (!caller) return nullptr;
    pool->setCurrentEvaluation(caller->startChild(std::move(code)));
    return thread.currentContext();
}

ParameterObject makeParameterObject(Thread& thread, const ParameterList& parameters,
                                    Object* stringPrototype) {
    StringObject* object = makeLiteralObject(names::params, stringPrototype);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        Object* value = resolveName(thread, *parameters[i], stringPrototype, literals::callParameter);
        if (!value) return {object, false};
        object->addMember(numberLiteral(static_cast<std::int32_t>(i)), value);
    }
    return {object, true};
}

void bindFrame(Context& context, const CallFrame& frame) {
    // Room for the frame and one more: the first literal its code names is bound here too.
    context.reserve(1 + (frame.sender != nullptr) + (frame.mySelf != nullptr) + frame.result.has_value() +
                    (frame.parameters != nullptr));
    if (frame.sender) context.addReference(names::sender, frame.sender);
    if (frame.mySelf) context.addReference(names::mySelf, frame.mySelf);
    if (frame.result) context.addSharedReference(names::returnName, *frame.result);
    if (frame.parameters) context.addReference(names::params, frame.parameters);
}
