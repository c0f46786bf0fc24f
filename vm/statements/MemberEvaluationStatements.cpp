// Messages to objects: a primitive, an interception by <:>, or the method's code.
#include "vm/statements/MemberEvaluationStatements.h"

#include "vm/object/Names.h"
#include "vm/object/StringObject.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/ParameterBinding.h"

namespace {

// The code of method for one form of call: its own <()> or <)(> member's target, else itself.
StringObject* methodCode(Object* method, const char* codeMember, bool& viaMember) {
    Member* code = method->getMember(codeMember);
    viaMember = code != nullptr;
    return (code ? code->target : method)->asStringObject();
}

} // namespace

bool MemberEvaluationStatement::resolveMethod(const std::string& resultName) {
    object_ = member_ = nullptr;
    Reference* string = thread_->lookup("String");
    if (!string) return false;
    if (Reference* found = thread_->lookup(objectName_)) {
        object_ = found->target();
    } else {
        if (!isStringLiteral(objectName_)) return false;
        object_ = makeNamedLiteral(*thread_, objectName_, string->target());
    }
    Member* member = object_->lookupMember(memberName_);
    if (!member) return false;
    member_ = member->target;
    memberOwner_ = object_->findMemberOwner(memberName_);
    if (!memberOwner_) return false;
    if (PrimitiveStringObject* primitive = member_->asPrimitive()) {
        primitive->execute(*thread_, objectName_, memberName_, resultName, parameters_);
        return false;
    }
    return true;
}

// What the method's code finds: its parameters (the method itself after them when its code is a
// member of its own), then "sender", "mySelf", "return" (synchronous calls only) and "params".
void MemberEvaluationStatement::bindCallFrame(Object* stringPrototype, bool methodAfterParameters, bool bindReturn,
                                              Reference* result) {
    BoundParameters bound = bindParameters(*thread_, parameters_, stringPrototype);
    if (!bound.complete) return;
    if (methodAfterParameters)
        bound.object->addMember(formatNumberLiteral(static_cast<std::int32_t>(parameters_.size())), member_);
    Context* context = thread_->currentContext();
    context->addReference("sender", object_);
    context->addReference("mySelf", memberOwner_);
    if (bindReturn) context->addSharedReference("return", result);
    context->addReference("params", bound.object);
}

void SynchronousMemberEvaluationStatement::execute() {
    if (!resolveMethod(targetName_)) return;
    Reference* string = thread_->lookup("String");
    Reference* nil = thread_->lookup("nil");
    ReferenceHandle result;
    if (intercepts(object_)) {
        if (!targetName_.empty()) {
            if (!nil) return;
            result = resolveTarget(*thread_, targetName_, nil->target());
        }
        twoPointsCall(object_->getMember("<:>")->target, result.get(), parameters_, false, true);
        return;
    }
    if (!nil) return;
    if (!targetName_.empty()) result = resolveTarget(*thread_, targetName_, nil->target());
    bool viaMember;
    StringObject* code = methodCode(member_, "<()>", viaMember);
    ThreadPool* pool = thread_->pool();
    if (!code || !pool || !pool->currentEvaluation()) return;
    pool->setCurrentEvaluation(pool->currentEvaluation()->startChild(CharStream::view(unquote(code->text()))));

    bindCallFrame(string->target(), viaMember, true, result.get());
}

void AsynchronousMemberEvaluationStatement::execute() {
    if (!resolveMethod("")) return;
    Reference* string = thread_->lookup("String");
    if (intercepts(object_)) {
        twoPointsCall(object_->getMember("<:>")->target, nullptr, parameters_, false, false);
        return;
    }
    if (!thread_->lookup("nil")) return;
    bool viaMember;
    StringObject* code = methodCode(member_, "<)(>", viaMember);
    ThreadPool* pool = thread_->pool();
    if (!code || !pool) return;
    pool->setCurrentEvaluation(pool->addEvaluation(CharStream::copy(unquote(code->text())), thread_));

    bindCallFrame(string->target(), viaMember, false, nullptr);
}
