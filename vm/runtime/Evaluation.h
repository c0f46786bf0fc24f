// Evaluations: a position in a code, executing one statement per step, with an optional
// synchronous child that runs to its end before its parent goes on. A root steps its chain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/Assert.h"
#include "vm/memory/BlockStack.h"
#include "vm/memory/SmallAllocator.h"
#include "vm/runtime/Code.h"

class Thread;
class Statement;
class RootEvaluation;

// A position in a code. A synchronous child is 16 bytes, kept in place in its root's chain (a loop
// keeps one per iteration alive); a root (RootEvaluation) steps its chain.
class Evaluation {
  public:
    Evaluation(const Evaluation&) = delete;
    Evaluation& operator=(const Evaluation&) = delete;

    bool finished() const { return finished_; }
    // The evaluation that started this one, up the chain; null for a root.
    const Evaluation* parent() const;
    const Code* code() const { return code_.get(); }
    // The statement it executed last, while it has its code: for a parent, the one that started its
    // child. For tools.
    const Statement* lastStatement() const {
        return code_ && next_ != 0 ? const_cast<Code*>(code_.get())->statement(next_ - 1) : nullptr;
    }

  protected:
    Evaluation(CodeRef code, bool root, std::uint16_t slot)
        : code_(std::move(code)), slot_(slot), root_(root) {}
    ~Evaluation() = default;
    // Its code has no statement left: once per evaluation, off the path of a statement.
    void finish(Thread* thread);

    CodeRef code_;
    std::uint32_t next_ = 0; // index of the next statement in code_
    std::uint16_t slot_;     // a child's place in its block of the chain
    bool finished_ = false;
    bool root_;

  private:
    friend class RootEvaluation;
};

// A root: the image's evaluation, or one the pool schedules, with its chain of synchronous
// children, innermost last. Each child runs to its end before its parent goes on.
class RootEvaluation : public Evaluation, public SmallObject {
  public:
    RootEvaluation(CodeRef code, Thread* thread);
    // A text read once, from start to end: the image, or a text a test runs.
    RootEvaluation(CharStream text, Thread* thread);
    // Frees its chain as well, innermost first, without recursion.
    ~RootEvaluation();

    // One statement of its innermost unfinished descendant, or the retirement of a finished child.
    // Constant time in the depth of the chain. False when the pool had no turn left for the
    // statement (a cut): nothing ran, and the next step takes it up again.
    bool step();
    // A synchronous child of its innermost descendant, over code, on a new context pushed on the
    // thread.
    Evaluation* startChild(CodeRef code);

    Thread* thread() const { return thread_; }
    // Its synchronous child, or null; for tests.
    Evaluation* child() const { return children_ ? at(0) : nullptr; }
    // How many synchronous children its chain holds, each over a context of its own.
    std::size_t descendants() const { return children_; }

  private:
    friend class Evaluation;
    // The children in a BlockStack: a child is found from its parent (the one before it) and its
    // parent from it. Each block knows the parent of its first child (the last one of the block
    // before, or the root), which a child at slot 0 reads through its own address.
    struct ChainHeader {
        const Evaluation* parentOfFirst;
    };
    using Chain = BlockStack<Evaluation, 5, ChainHeader>; // 520 bytes a block
    Evaluation* at(std::size_t index) const { return chain_.at(index); }
    // Drops the innermost child, whose context is gone.
    void retire();

    Thread* thread_;
    Evaluation* innermost_; // this when it has no child
    std::size_t children_ = 0;
    Chain chain_;
};
