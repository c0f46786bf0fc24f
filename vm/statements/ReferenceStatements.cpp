// -> x ;   x <- y ;   x <- y : <m> ;
#include "vm/statements/ReferenceStatements.h"

#include "vm/object/Names.h"
#include "vm/object/StringObject.h"
#include "vm/runtime/Thread.h"
#include "vm/statements/ParameterBinding.h"

void NewReferenceStatement::execute() {
    Reference* nil = thread_->lookup("nil");
    Context* context = thread_->currentContext();
    if (!nil || !context) return;
    context->addReference(name_, nil->target());
}

void AssignReferenceStatement::execute() {
    Reference* source = thread_->lookup(sourceName_);
    Reference* string = getStringReference();
    if (!string) return;
    Object* value;
    if (source) {
        value = source->target();
    } else {
        if (!isStringLiteral(sourceName_)) return;
        value = makeNamedLiteral(*thread_, sourceName_, string->target());
    }
    if (Reference* target = thread_->lookup(targetName_)) {
        target->rebind(value);
    } else if (Context* context = thread_->currentContext()) {
        context->addReference(targetName_, value);
    }
}

void MemberAccessStatement::execute() {
    if (Reference* found = thread_->lookup(objectName_)) {
        object_ = found->target();
    } else {
        Context* context = thread_->currentContext();
        if (!isStringLiteral(objectName_) || !context) return;
        Reference* string = context->getReference("String"); // this context only
        if (!string) return;
        object_ = makeNamedLiteral(*thread_, objectName_, string->target());
    }
    Member* member = object_->lookupMember(memberName_);
    if (!member) return;
    member_ = member->target;
    memberOwner_ = object_->findMemberOwner(memberName_);
    ReferenceHandle target(thread_->lookup(targetName_));
    if (!target) {
        Reference* nil = thread_->lookup("nil");
        if (!nil) return;
        target = resolveTarget(*thread_, targetName_, nil->target());
    }
    if (intercepts(object_)) {
        twoPointsCall(object_->getMember("<:>")->target, target.get(), {}, true, false);
        return;
    }
    target->rebind(member_);
}
