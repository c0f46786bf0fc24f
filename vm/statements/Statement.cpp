// The statement base.
#include "vm/statements/Statement.h"

Statement::~Statement() = default;

void Statement::execute() {}
