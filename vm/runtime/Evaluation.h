// Evaluations: a position in a code, executing one statement per step, with an optional
// synchronous child that runs to its end before its parent goes on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Assert.h"
#include "vm/memory/SmallAllocator.h"
#include "vm/runtime/Code.h"

class Thread;
class ThreadPool;
class Statement;

class Evaluation : public SmallObject {
  public:
    // A root: the image's evaluation, or one the pool schedules.
    Evaluation(CodeRef code, Thread* thread);
    // A text read once, from start to end: the image, or a text a test runs.
    Evaluation(CharStream text, Thread* thread);
    // A root frees its chain of children as well, innermost first, without recursion.
    ~Evaluation();
    Evaluation(const Evaluation&) = delete;
    Evaluation& operator=(const Evaluation&) = delete;

    // Asked of a root: one statement of its innermost unfinished descendant, or the retirement of a
    // finished child. Constant time in the depth of the chain: the root keeps its innermost
    // descendant at hand. False when the pool had no turn left for the statement (a cut): nothing
    // ran, and the next step takes it up again.
    bool step();
    // Asked of a root: a synchronous child of its innermost descendant, over code, on a new context
    // pushed on the thread.
    Evaluation* startChild(CodeRef code);

    bool finished() const { return finished_; }
    // A root's thread.
    Thread* thread() const {
        ORVEX_ASSERT(root_, "only a root keeps the thread");
        return link_.state->thread;
    }
    // A root's synchronous child, found from the innermost descendant up; for tests.
    Evaluation* child() const;
    Evaluation* parent() const { return root_ ? nullptr : link_.parent; }
    // Asked of a root: how many synchronous children its chain holds, each over a context of its own.
    std::size_t descendants() const;
    const Code* code() const { return code_.get(); }
    // The statement it executed last, while it has its code: for a parent, the one that started its
    // child. For tools.
    const Statement* lastStatement() const {
        return code_ && next_ != 0 ? const_cast<Code*>(code_.get())->statement(next_ - 1) : nullptr;
    }

  private:
    // What a chain has once, kept by its root: the thread and the innermost descendant.
    struct RootState : SmallObject {
        Thread* thread;
        Evaluation* innermost;
    };
    // A child of parent, in its chain.
    Evaluation(CodeRef code, Evaluation* parent);
    // Its code has no statement left: once per evaluation, off the path of a statement.
    void finish(Thread* thread);

    // A loop keeps one evaluation per iteration alive: a child is 24 bytes. The chain is linked
    // one way only, and the root reaches its descendants through the innermost one; whoever asks a
    // child for its chain asks the root (the pool knows the root it is stepping).
    CodeRef code_;
    std::uint32_t next_ = 0; // index of the next statement in code_
    bool finished_ = false;
    bool root_;
    union {
        RootState* state;   // a root's
        Evaluation* parent; // a child's
    } link_;
};
