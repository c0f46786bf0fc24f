// Evaluations and their step.
#include "vm/runtime/Evaluation.h"

#include <cstddef>
#include <new>

#include "platform/Assert.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/Statement.h"

static_assert(sizeof(Evaluation) <= 16, "a loop keeps an evaluation per iteration");

const Evaluation* Evaluation::parent() const {
    if (root_) return nullptr;
    if (slot_ != 0) return this - 1;
    return RootEvaluation::Chain::Block::of(this).header.parentOfFirst;
}

RootEvaluation::RootEvaluation(CodeRef code, Thread* thread)
    : Evaluation(std::move(code), true, 0), thread_(thread), innermost_(this) {}

RootEvaluation::RootEvaluation(CharStream text, Thread* thread)
    : RootEvaluation(CodeRef::adopt(Code::make(std::move(text), Code::Keeping::Latest)), thread) {}

RootEvaluation::~RootEvaluation() {
    while (children_ != 0)
        retire();
}

void RootEvaluation::retire() {
    Evaluation* child = innermost_;
    const bool firstOfBlock = child->slot_ == 0;
    innermost_ =
        firstOfBlock ? const_cast<Evaluation*>(Chain::Block::of(child).header.parentOfFirst) : child - 1;
    child->~Evaluation();
    --children_;
    if (firstOfBlock) chain_.shrunkTo(children_);
}

// Invariants: only the innermost evaluation of a chain can be finished, since an evaluation
// with a child asks its parser for nothing. So a step looks at the innermost one alone: if it
// is finished (and not the root), its parent retires it; otherwise it runs its next statement.
bool RootEvaluation::step() {
    Thread* thread = thread_;
    ThreadPool* pool = thread->pool();
    Evaluation* innermost = innermost_;
    bool ran = true;
    if (innermost != this && innermost->finished_) {
        if (pool) pool->setCurrentEvaluation(const_cast<Evaluation*>(innermost->parent()), this);
        thread->popContext();
        retire();
    } else {
        if (pool) pool->setCurrentEvaluation(innermost, this);
        // The statement is read (and kept by its code) before the pool is asked for a turn, so a
        // cut here finds it again, read once, when the run goes on.
        Statement* statement = innermost->code_->statement(innermost->next_);
        if (!statement) {
            innermost->finish(thread);
        } else if (pool && !pool->takeTurn()) {
            ran = false;
        } else {
            ++innermost->next_;
            statement->setThread(thread);
            statement->execute();
        }
    }
    if (pool) pool->setCurrentEvaluation(nullptr, nullptr);
    return ran;
}

void Evaluation::finish(Thread* thread) {
    if (RunObserver* observer = runObserver()) observer->finished(*this, *code_.get());
    if (!root_) code_->noteFrameSize(thread->currentContext().size());
    finished_ = true;
    code_ = CodeRef(); // the frame stays until it is retired; what it read can go now
}

Evaluation* RootEvaluation::startChild(CodeRef code) {
    const std::size_t slot = children_ % Chain::perBlock;
    Chain::Block* block;
    if (slot == 0) [[unlikely]] {
        block = &chain_.blockFor(children_);
        block->header.parentOfFirst = innermost_;
    } else {
        block = &chain_.blockOf(children_);
    }
    auto* child =
        new (block->entry(slot)) Evaluation(std::move(code), false, static_cast<std::uint16_t>(slot));
    ++children_;
    innermost_ = child;
    thread_->pushNewContext();
    return child;
}
