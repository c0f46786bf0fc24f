// The statement base: made by the parser, kept by the code it was read from, given its thread and
// executed each time that code runs.
#pragma once

#include "vm/memory/SmallAllocator.h"
#include "vm/symbols/Names.h"

class Thread;

// Statements come and go by the million while an image is read: from the pool.
class Statement : public SmallObject {
  public:
    Statement() = default;
    virtual ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    virtual void execute();
    void setThread(Thread* thread) { thread_ = thread; }
    Thread* thread() const { return thread_; }

  protected:
    Thread* thread_ = nullptr;
};

// A comment does nothing; its text is not even kept.
class CommentStatement : public Statement {};
