// Messages to objects: a primitive, an interception by <:>, or the method's code.
#include "vm/statements/MemberEvaluationStatements.h"

#include "vm/object/StringObject.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"

std::optional<TwoPointsStatement::Message>
MemberEvaluationStatement::resolveMethod(const Symbol& resultName) const {
    Object* string = requireBound(*thread_, names::string);
    if (!string) return std::nullopt;
    std::optional<Message> message = resolveMessage(string);
    if (!message) return std::nullopt;
    if (PrimitiveStringObject* primitive = asPrimitive(message->member)) {
        primitive->run(*thread_, *objectName_, *memberName_, resultName, parameters_);
        return std::nullopt;
    }
    return message;
}

// The method's parameters come first, then the method itself as one more when its code is a member
// of its own; the frame names the receiver and the owner.
void MemberEvaluationStatement::callMethod(const Message& message, CallMode mode,
                                           std::optional<Reference*> result) const {
    Member* codeMember = message.member->getMember(mode == CallMode::Synchronous ? names::synchronousCode
                                                                                 : names::asynchronousCode);
    StringObject* code = (codeMember ? codeMember->target() : message.member)->asStringObject();
    if (!code) return noteStop(SilentStop::NotCode, memberName_->text());
    Object* string = boundObject(*thread_, names::string);
    std::optional<Context> frame = startCall(*thread_, CodeRef::share(Code::of(*code)), mode);
    if (!frame) return;
    ParameterObject bound = makeParameterObject(*thread_, parameters_, string);
    if (!bound.complete) return;
    if (codeMember)
        bound.make()->addMember(numberLiteral(static_cast<std::int32_t>(parameters_.size())), message.member);
    bindFrame(*frame,
              {.sender = message.receiver, .mySelf = message.owner, .result = result, .parameters = &bound});
}

void SynchronousMemberEvaluationStatement::execute() {
    std::optional<Message> message = resolveMethod(*targetName_);
    if (!message) return;
    Object* nil = boundObject(*thread_, names::nil);
    ReferenceHandle result;
    if (intercepts(*message)) {
        if (!targetName_->empty()) {
            if (!nil) return noteStop(SilentStop::Unbound, names::nil.text());
            result = resolveTarget(*thread_, *targetName_, nil);
        }
        twoPointsCall(*message, result.get(), parameters_, Intercepted::SynchronousMessage);
        return;
    }
    if (!nil) return noteStop(SilentStop::Unbound, names::nil.text());
    // The target is resolved in the caller's context, before the method's is pushed.
    if (!targetName_->empty()) result = resolveTarget(*thread_, *targetName_, nil);
    callMethod(*message, CallMode::Synchronous, result.get());
}

void AsynchronousMemberEvaluationStatement::execute() {
    std::optional<Message> message = resolveMethod(names::none);
    if (!message) return;
    if (intercepts(*message)) {
        twoPointsCall(*message, nullptr, parameters_, Intercepted::AsynchronousMessage);
        return;
    }
    if (!requireBound(*thread_, names::nil)) return; // required, like the synchronous form's, though unused
    callMethod(*message, CallMode::Asynchronous, std::nullopt);
}
