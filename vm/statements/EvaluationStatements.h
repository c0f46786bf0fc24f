// Statements that run text as code: f ( ... ) ;  f ) ... ( ;  <code> ( ... ) ;  <code> ) ... ( ;
#pragma once

#include <string>
#include <string_view>

#include "vm/runtime/Code.h"
#include "vm/statements/Statement.h"

class ReferenceEvaluationStatement : public Statement {
  public:
    ReferenceEvaluationStatement(std::string reference, ParameterList parameters)
        : referenceName_(std::move(reference)), parameters_(std::move(parameters)) {}
    const std::string& referenceName() const { return referenceName_; }
    const ParameterList& parameters() const { return parameters_; }

  protected:
    std::string referenceName_;
    ParameterList parameters_;
};

class SynchronousReferenceEvaluationStatement : public ReferenceEvaluationStatement {
  public:
    SynchronousReferenceEvaluationStatement(std::string reference, ParameterList parameters,
                                            std::string target)
        : ReferenceEvaluationStatement(std::move(reference), std::move(parameters)),
          targetName_(std::move(target)) {}
    void execute() override;
    const std::string& targetName() const { return targetName_; }

  private:
    std::string targetName_;
};

class AsynchronousReferenceEvaluationStatement : public ReferenceEvaluationStatement {
  public:
    using ReferenceEvaluationStatement::ReferenceEvaluationStatement;
    void execute() override;
};

class StringEvaluationStatement : public Statement {
  public:
    StringEvaluationStatement(std::string code, ParameterList parameters)
        : codeText_(std::move(code)), parameters_(std::move(parameters)) {}
    const std::string& codeText() const { return codeText_; }
    const ParameterList& parameters() const { return parameters_; }

  protected:
    std::string codeText_;
    ParameterList parameters_;
    CodeRef code_; // read on first execution, kept for the next ones
};

class SynchronousStringEvaluationStatement : public StringEvaluationStatement {
  public:
    // source: the code as it stands in the text being parsed, when it is there verbatim. The
    // child then reads it in place instead of from a copy, so nested code costs no memory per level.
    SynchronousStringEvaluationStatement(std::string code, ParameterList parameters, std::string target,
                                         std::string_view source = {})
        : StringEvaluationStatement(std::move(code), std::move(parameters)), targetName_(std::move(target)),
          source_(source) {}
    void execute() override;
    const std::string& targetName() const { return targetName_; }

  private:
    std::string targetName_;
    std::string_view source_;
};

class AsynchronousStringEvaluationStatement : public StringEvaluationStatement {
  public:
    using StringEvaluationStatement::StringEvaluationStatement;
    void execute() override;
};
