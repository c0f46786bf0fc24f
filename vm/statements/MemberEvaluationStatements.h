// Messages: y : <m> ( ... ) ;  and  y : <m> ) ... ( ;
#pragma once

#include <string>

#include "vm/runtime/Call.h"
#include "vm/statements/TwoPointsStatement.h"

class MemberEvaluationStatement : public TwoPointsStatement {
  public:
    MemberEvaluationStatement(const Symbol& object, const Symbol& member, ParameterList parameters)
        : TwoPointsStatement(object, member), parameters_(std::move(parameters)) {}
    const ParameterList& parameters() const { return parameters_; }

  protected:
    // The steps both forms share: "String", the receiver, the method, and a primitive run at once.
    // None where the statement ends there, a primitive's run included.
    std::optional<Message> resolveMethod(const Symbol& resultName) const;
    // Starts the method's code (its <()> or <)(> member, else itself) and binds its frame.
    void callMethod(const Message& message, CallMode mode, std::optional<Reference*> result) const;

    ParameterList parameters_;
};

class SynchronousMemberEvaluationStatement : public MemberEvaluationStatement {
  public:
    SynchronousMemberEvaluationStatement(const Symbol& object, const Symbol& member, ParameterList parameters,
                                         const Symbol& target)
        : MemberEvaluationStatement(object, member, std::move(parameters)), targetName_(&target) {}
    void execute() override;
    std::string_view targetName() const { return targetName_->text(); }

  private:
    const Symbol* targetName_;
};

class AsynchronousMemberEvaluationStatement : public MemberEvaluationStatement {
  public:
    using MemberEvaluationStatement::MemberEvaluationStatement;
    void execute() override;
};
