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
    Thread* thread() const { return root()->link_.state->thread; }
    // The synchronous child, found from the innermost descendant up; for tests and tools.
    Evaluation* child() const;
    Evaluation* parent() const { return parent_; }
    const Code* code() const { return code_.get(); }

  private:
    // What a chain has once, kept by its root: the thread and the innermost descendant.
    struct RootState : SmallObject {
        Thread* thread;
        Evaluation* innermost;
    };
    bool isRoot() const { return parent_ == nullptr; }
    Evaluation* root() const { return isRoot() ? const_cast<Evaluation*>(this) : link_.root; }
    RootState& state() const { return *root()->link_.state; }
    // A child of parent, in its chain.
    Evaluation(CodeRef code, Evaluation* parent);
    void executeNextStatement(Thread* thread);

    // A loop keeps one evaluation per iteration alive: a child is 32 bytes. The chain is linked
    // one way only, and the root reaches its descendants through the innermost one.
    CodeRef code_;
    std::uint32_t next_ = 0; // index of the next statement in code_
    bool finished_ = false;
    Evaluation* parent_ = nullptr;
    union {
        RootState* state; // a root's
        Evaluation* root; // a child's
    } link_;
};
