// Evaluations: a position in a code, executing one statement per step, with an optional
// synchronous child that runs to its end before its parent goes on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vm/object/SmallAllocator.h"
#include "vm/runtime/Code.h"

class Thread;

class Evaluation : public SmallObject {
  public:
    Evaluation(CodeRef code, Thread* thread);
    // A text read once, from start to end: the image, or a text a test runs.
    Evaluation(CharStream text, Thread* thread);
    // Frees the chain of children as well, innermost first, without recursion.
    ~Evaluation();
    Evaluation(const Evaluation&) = delete;
    Evaluation& operator=(const Evaluation&) = delete;

    // One statement of the innermost unfinished descendant, or the retirement of a finished child.
    // Constant time in the depth of the chain: the root keeps its innermost descendant at hand.
    void step();
    // A synchronous child over code, on a new context pushed on the thread.
    Evaluation* startChild(CodeRef code);

    bool finished() const { return finished_; }
    Thread* thread() const { return thread_; }
    // The synchronous child, found from the innermost descendant up; for tests and tools.
    Evaluation* child() const;
    Evaluation* parent() const { return parent_; }
    const Code* code() const { return code_.get(); }

  private:
    void executeNextStatement();

    // A loop keeps one evaluation per iteration alive, so the chain is linked one way only: the
    // root reaches its descendants through the innermost one.
    CodeRef code_;
    std::uint32_t next_ = 0; // index of the next statement in code_
    bool finished_ = false;
    Thread* thread_;
    Evaluation* parent_ = nullptr;
    Evaluation* root_ = this;
    Evaluation* innermost_ = this; // kept up to date on the root only
};
