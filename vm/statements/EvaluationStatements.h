// Statements that run text as code: f ( ... ) ;  f ) ... ( ;  <code> ( ... ) ;  <code> ) ... ( ;
#pragma once

#include <string>
#include <string_view>

#include "vm/runtime/Code.h"
#include "vm/statements/Statement.h"

class ReferenceEvaluationStatement : public Statement {
  public:
    ReferenceEvaluationStatement(const Symbol& reference, ParameterList parameters)
        : referenceName_(&reference), parameters_(std::move(parameters)) {}
    std::string_view referenceName() const { return referenceName_->text(); }
    const ParameterList& parameters() const { return parameters_; }

  protected:
    const Symbol* referenceName_;
    ParameterList parameters_;
};

class SynchronousReferenceEvaluationStatement : public ReferenceEvaluationStatement {
  public:
    SynchronousReferenceEvaluationStatement(const Symbol& reference, ParameterList parameters,
                                            const Symbol& target)
        : ReferenceEvaluationStatement(reference, std::move(parameters)), targetName_(&target) {}
    void execute() override;
    std::string_view targetName() const { return targetName_->text(); }

  private:
    const Symbol* targetName_;
};

class AsynchronousReferenceEvaluationStatement : public ReferenceEvaluationStatement {
  public:
    using ReferenceEvaluationStatement::ReferenceEvaluationStatement;
    void execute() override;
};

class StringEvaluationStatement : public Statement {
  public:
    // source: the code as it stands in the text being parsed, when it is there verbatim (it holds
    // no escape); the statement then keeps no copy of it. That text outlives the statement.
    StringEvaluationStatement(std::string_view code, ParameterList parameters, std::string_view source)
        : parameters_(std::move(parameters)) {
        bool verbatim = !source.empty() && source == code;
        if (!verbatim) ownText_ = code;
        codeText_ = verbatim ? source : std::string_view(ownText_);
    }
    std::string_view codeText() const { return codeText_; }
    const ParameterList& parameters() const { return parameters_; }

  protected:
    Text ownText_; // the code with its escapes read, when it is not verbatim in the source
    std::string_view codeText_;
    ParameterList parameters_;
    CodeRef code_; // read on first execution, kept for the next ones
};

class SynchronousStringEvaluationStatement : public StringEvaluationStatement {
  public:
    SynchronousStringEvaluationStatement(std::string_view code, ParameterList parameters,
                                         const Symbol& target, std::string_view source = {})
        : StringEvaluationStatement(code, std::move(parameters), source), targetName_(&target) {}
    void execute() override;
    std::string_view targetName() const { return targetName_->text(); }

  private:
    const Symbol* targetName_;
};

class AsynchronousStringEvaluationStatement : public StringEvaluationStatement {
  public:
    AsynchronousStringEvaluationStatement(std::string_view code, ParameterList parameters,
                                          std::string_view source = {})
        : StringEvaluationStatement(code, std::move(parameters), source) {}
    void execute() override;
};
