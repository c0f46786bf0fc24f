// Statements that bind names without running code: -> x ;  x <- y ;  x <- y : <m> ;
#pragma once

#include <string>

#include "vm/statements/TwoPointsStatement.h"

class NewReferenceStatement : public Statement {
  public:
    explicit NewReferenceStatement(const Symbol& name) : name_(&name) {}
    void execute() override;
    std::string_view name() const { return name_->text(); }

  private:
    const Symbol* name_;
};

class AssignReferenceStatement : public Statement {
  public:
    AssignReferenceStatement(const Symbol& source, const Symbol& target)
        : sourceName_(&source), targetName_(&target) {}
    void execute() override;
    std::string_view sourceName() const { return sourceName_->text(); }
    std::string_view targetName() const { return targetName_->text(); }

  private:
    const Symbol* sourceName_;
    const Symbol* targetName_;
};

class MemberAccessStatement : public TwoPointsStatement {
  public:
    MemberAccessStatement(const Symbol& object, const Symbol& member, const Symbol& target)
        : TwoPointsStatement(object, member), targetName_(&target) {}
    void execute() override;
    std::string_view targetName() const { return targetName_->text(); }

  private:
    const Symbol* targetName_;
};
