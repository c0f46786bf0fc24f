// Statements that bind names without running code: -> x ;  x <- y ;  x <- y : <m> ;
#pragma once

#include <string>

#include "vm/statements/TwoPointsStatement.h"

class NewReferenceStatement : public Statement {
  public:
    explicit NewReferenceStatement(std::string name) : name_(std::move(name)) {}
    void execute() override;
    const std::string& name() const { return name_; }

  private:
    std::string name_;
};

class AssignReferenceStatement : public Statement {
  public:
    AssignReferenceStatement(std::string source, std::string target)
        : sourceName_(std::move(source)), targetName_(std::move(target)) {}
    void execute() override;
    const std::string& sourceName() const { return sourceName_; }
    const std::string& targetName() const { return targetName_; }

  private:
    std::string sourceName_;
    std::string targetName_;
};

class MemberAccessStatement : public TwoPointsStatement {
  public:
    MemberAccessStatement(std::string object, std::string member, std::string target)
        : TwoPointsStatement(std::move(object), std::move(member)), targetName_(std::move(target)) {}
    void execute() override;
    const std::string& targetName() const { return targetName_; }

  private:
    std::string targetName_;
};
