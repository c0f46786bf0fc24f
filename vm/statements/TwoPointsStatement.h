// The base of the colon statements: finding the member a statement names, and the interception of
// the statement by the receiver's own <:> member.
#pragma once

#include <optional>
#include <string>

#include "vm/statements/Statement.h"

class Object;
class Reference;

class TwoPointsStatement : public Statement {
  public:
    TwoPointsStatement(const Symbol& object, const Symbol& member)
        : objectName_(&object), memberName_(&member) {}
    std::string_view objectName() const { return objectName_->text(); }
    std::string_view memberName() const { return memberName_->text(); }

  protected:
    // What a colon statement works on during its one execution.
    struct Message {
        Object* receiver;
        Object* member; // the member's target, inherited along <super> if need be
        Object* owner;  // the object of the receiver's chain that holds the member, counted once
    };
    // The receiver (a literal bound nowhere is made as a statement's name, when literalPrototype
    // is given), its member and the member's owner. None when the receiver or the member is missing.
    std::optional<Message> resolveMessage(Object* literalPrototype) const;

    enum class Intercepted { MemberAccess, SynchronousMessage, AsynchronousMessage };
    // Whether the receiver's own <:> member takes this statement over.
    static bool intercepts(const Message& message);
    // Runs the receiver's <:> code as a child evaluation that stands for the statement: its
    // parameters, then three more that say what was asked (a message or an access, the member's
    // identifier, synchronous or not), and a frame like a method's.
    void twoPointsCall(const Message& message, Reference* result, const ParameterList& parameters,
                       Intercepted kind) const;

    const Symbol* objectName_;
    const Symbol* memberName_;
};
