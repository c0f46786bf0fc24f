// -> x ;   x <- y ;   x <- y : <m> ;
#include "vm/statements/ReferenceStatements.h"

#include "vm/runtime/Resolution.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"

void NewReferenceStatement::execute() {
    if (Object* nil = requireBound(*thread_, names::nil)) thread_->currentContext().addReference(*name_, nil);
}

void AssignReferenceStatement::execute() {
    // "String" is required even when the source is bound.
    Object* string = requireBound(*thread_, names::string);
    if (!string) return;
    Object* value = thread_->lookupObject(*sourceName_);
    if (!value) {
        if (!isStringLiteral(*sourceName_)) return noteStop(SilentStop::Unbound, sourceName_->text());
        value = makeLiteral(*thread_, *sourceName_, string, literals::statementName);
    }
    if (Reference* target = thread_->lookup(*targetName_))
        target->rebind(value);
    else
        thread_->currentContext().addReference(*targetName_, value);
}

void MemberAccessStatement::execute() {
    // A literal receiver takes its prototype from the current context alone.
    Reference* string = thread_->currentContext().getReference(names::string);
    std::optional<Message> message = resolveMessage(string ? string->target() : nullptr);
    if (!message) return;
    ReferenceHandle target(thread_->lookup(*targetName_));
    if (!target) {
        Object* nil = requireBound(*thread_, names::nil);
        if (!nil) return;
        target = resolveTarget(*thread_, *targetName_, nil);
    }
    if (intercepts(*message)) {
        twoPointsCall(*message, target.get(), {}, Intercepted::MemberAccess);
        return;
    }
    target->rebind(message->member);
}
