// The base of the colon statements, and the interception of them by an object's own <:> member.
#pragma once

#include <string>

#include "vm/statements/Statement.h"

class Object;

class TwoPointsStatement : public Statement {
public:
    TwoPointsStatement(std::string object, std::string member)
        : objectName_(std::move(object)), memberName_(std::move(member)) {}
    const std::string& objectName() const { return objectName_; }
    const std::string& memberName() const { return memberName_; }

protected:
    // Whether the receiver's own <:> member takes this statement over.
    static bool intercepts(Object* receiver);
    // Runs code (the receiver's <:>) as a child evaluation that stands for the statement.
    void twoPointsCall(Object* code, Reference* result, const ParameterList& parameters, bool access,
                       bool synchronous);

    // Working storage of one execution: targets only, never owned.
    Object* object_ = nullptr;
    Object* member_ = nullptr;
    Object* memberOwner_ = nullptr;
    std::string objectName_;
    std::string memberName_;
};
