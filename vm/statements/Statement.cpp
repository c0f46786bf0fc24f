// The statement base.
#include "vm/statements/Statement.h"

#include "vm/runtime/Thread.h"

Statement::~Statement() = default;

void Statement::execute() {}

Reference* Statement::getStringReference() const { return thread_->lookup("String"); }
