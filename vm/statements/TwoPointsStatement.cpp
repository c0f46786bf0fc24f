// Interception of colon statements by the receiver's own <:> member.
#include "vm/statements/TwoPointsStatement.h"

#include "vm/object/Names.h"
#include "vm/object/StringObject.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/ParameterBinding.h"

bool TwoPointsStatement::intercepts(Object* receiver) {
    return receiver->getMember("<:>") && !receiver->isTwoPointsLocked();
}

void TwoPointsStatement::twoPointsCall(Object* code, Reference* result, const ParameterList& parameters, bool access,
                                       bool synchronous) {
    Reference* string = thread_->lookup("String");
    if (!string) return;
    Reference* nil = thread_->lookup("nil");
    if (!nil) return;
    StringObject* text = code->asStringObject();
    ThreadPool* pool = thread_->pool();
    if (!text || !pool || !pool->currentEvaluation()) return;
    pool->setCurrentEvaluation(pool->currentEvaluation()->startChild(CharStream::view(unquote(text->text()))));

    BoundParameters bound = bindParameters(*thread_, parameters, string->target());
    if (!bound.complete) return;
    Reference* trueReference = thread_->lookup("true");
    Reference* falseReference = thread_->lookup("false");
    if (!trueReference || !falseReference) return;

    // Three more parameters say what was asked: not an access, the member's identifier, synchronous.
    auto n = static_cast<std::int32_t>(parameters.size());
    bound.object->addMember(formatNumberLiteral(n), (access ? falseReference : trueReference)->target());
    Member* id = member_ ? member_->getId() : nullptr;
    bound.object->addMember(formatNumberLiteral(n + 1), id ? id->target : nil->target());
    bound.object->addMember(formatNumberLiteral(n + 2),
                            (synchronous && !access ? trueReference : falseReference)->target());

    Context* context = thread_->currentContext();
    context->addReference("sender", object_);
    context->addReference("mySelf", memberOwner_);
    if (access || synchronous) context->addSharedReference("return", result);
    context->addReference("params", bound.object);
}
