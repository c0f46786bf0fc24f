// The member a colon statement names, and interception by the receiver's own <:> member.
#include "vm/statements/TwoPointsStatement.h"

#include "vm/object/StringObject.h"
#include "vm/runtime/Call.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"

std::optional<TwoPointsStatement::Message>
TwoPointsStatement::resolveMessage(Object* literalPrototype) const {
    Object* receiver = boundObject(*thread_, *objectName_);
    if (!receiver) {
        if (!isStringLiteral(*objectName_))
            return noteStop(SilentStop::Unbound, objectName_->text()), std::nullopt;
        if (!literalPrototype)
            return noteStop(SilentStop::LocalStringUnbound, objectName_->text()), std::nullopt;
        receiver = makeLiteral(*thread_, *objectName_, literalPrototype, literals::statementName);
    }
    Member* member;
    Object* owner = receiver->findMemberOwner(*memberName_, &member);
    if (!owner) return noteStop(SilentStop::NoMember, objectName_->text(), memberName_->text()), std::nullopt;
    return Message{receiver, member->target(), owner};
}

bool TwoPointsStatement::intercepts(const Message& message) {
    return message.receiver->getMember(names::twoPoints) && !message.receiver->isTwoPointsLocked();
}

void TwoPointsStatement::twoPointsCall(const Message& message, Reference* result,
                                       const ParameterList& parameters, Intercepted kind) const {
    Object* string = requireBound(*thread_, names::string);
    if (!string) return;
    Object* nil = requireBound(*thread_, names::nil);
    if (!nil) return;
    StringObject* code = message.receiver->getMember(names::twoPoints)->target()->asStringObject();
    if (!code) return noteStop(SilentStop::NotCode, names::twoPoints.text());
    // Even an asynchronous message runs its interception at once, as a synchronous child.
    std::optional<Context> frame =
        startCall(*thread_, CodeRef::share(Code::of(*code)), CallMode::Synchronous);
    if (!frame) return;

    ParameterObject bound = makeParameterObject(*thread_, parameters, string);
    if (!bound.complete) return;
    Object* trueObject = requireBound(*thread_, names::trueName);
    Object* falseObject = trueObject ? requireBound(*thread_, names::falseName) : nullptr;
    if (!trueObject || !falseObject) return;
    auto n = static_cast<std::int32_t>(parameters.size());
    Member* id = message.member->getId();
    StringObject* object = bound.make();
    object->addMember(numberLiteral(n), kind != Intercepted::MemberAccess ? trueObject : falseObject);
    object->addMember(numberLiteral(n + 1), id ? id->target() : nil);
    object->addMember(numberLiteral(n + 2),
                      kind == Intercepted::SynchronousMessage ? trueObject : falseObject);

    CallFrame call{
        .sender = message.receiver, .mySelf = message.owner, .result = std::nullopt, .parameters = &bound};
    if (kind != Intercepted::AsynchronousMessage) call.result = result;
    bindFrame(*frame, call);
}
