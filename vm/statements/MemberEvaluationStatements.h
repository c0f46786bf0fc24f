// Messages: y : <m> ( ... ) ;  and  y : <m> ) ... ( ;
#pragma once

#include <string>

#include "vm/statements/TwoPointsStatement.h"

class MemberEvaluationStatement : public TwoPointsStatement {
public:
    MemberEvaluationStatement(std::string object, std::string member, ParameterList parameters)
        : TwoPointsStatement(std::move(object), std::move(member)), parameters_(std::move(parameters)) {}
    const ParameterList& parameters() const { return parameters_; }

protected:
    // The steps both forms share: receiver, method, primitive. False when execution ends there.
    bool resolveMethod(const std::string& resultName);
    // Binds the parameters and the call frame names once the method's code has been started.
    void bindCallFrame(Object* stringPrototype, bool methodAfterParameters, bool bindReturn, Reference* result);

    ParameterList parameters_;
};

class SynchronousMemberEvaluationStatement : public MemberEvaluationStatement {
public:
    SynchronousMemberEvaluationStatement(std::string object, std::string member, ParameterList parameters,
                                         std::string target)
        : MemberEvaluationStatement(std::move(object), std::move(member), std::move(parameters)),
          targetName_(std::move(target)) {}
    void execute() override;
    const std::string& targetName() const { return targetName_; }

private:
    std::string targetName_;
};

class AsynchronousMemberEvaluationStatement : public MemberEvaluationStatement {
public:
    using MemberEvaluationStatement::MemberEvaluationStatement;
    void execute() override;
};
