// Evaluations and their step.
#include "vm/runtime/Evaluation.h"

#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/Statement.h"

static_assert(sizeof(Evaluation) <= 32, "a loop keeps an evaluation per iteration");

Evaluation::Evaluation(CodeRef code, Thread* thread) : code_(std::move(code)) {
    link_.state = new RootState{{}, thread, this};
}

Evaluation::Evaluation(CharStream text, Thread* thread)
    : Evaluation(CodeRef::adopt(Code::make(std::move(text), Code::Keeping::Latest)), thread) {}

// Only a root is deleted with descendants; a retired child has none left.
Evaluation::~Evaluation() {
    if (!isRoot()) return;
    for (Evaluation* descendant = link_.state->innermost; descendant != this;) {
        Evaluation* parent = descendant->parent_;
        delete descendant;
        descendant = parent;
    }
    delete link_.state;
}

Evaluation* Evaluation::child() const {
    for (Evaluation* e = state().innermost; e != this && e; e = e->parent_)
        if (e->parent_ == this) return e;
    return nullptr;
}

// Invariants: only the innermost evaluation of a chain can be finished, since an evaluation
// with a child asks its parser for nothing. So a step looks at the innermost one alone: if it
// is finished (and not the root), its parent retires it; otherwise it runs its next statement.
void Evaluation::step() {
    RootState& chain = state();
    Thread* thread = chain.thread;
    ThreadPool* pool = thread->pool();
    Evaluation* innermost = chain.innermost;
    if (innermost != this && innermost->finished_) {
        Evaluation* parent = innermost->parent_;
        if (pool) pool->setCurrentEvaluation(parent);
        thread->popContext();
        chain.innermost = parent;
        delete innermost;
    } else {
        if (pool) pool->setCurrentEvaluation(innermost);
        innermost->executeNextStatement(thread);
    }
    if (pool) pool->setCurrentEvaluation(nullptr);
}

void Evaluation::executeNextStatement(Thread* thread) {
    Statement* statement = code_->statement(next_);
    if (!statement) {
        if (runObserver) runObserver->finished(*this, *code_.get());
        finished_ = true;
        code_ = CodeRef(); // the frame stays until it is retired; what it read can go now
        return;
    }
    ++next_;
    statement->setThread(thread);
    statement->execute();
}

Evaluation* Evaluation::startChild(CodeRef code) {
    RootState& chain = state();
    auto* child = new Evaluation(std::move(code), this);
    chain.innermost = child;
    chain.thread->pushNewContext();
    return child;
}

Evaluation::Evaluation(CodeRef code, Evaluation* parent) : code_(std::move(code)), parent_(parent) {
    link_.root = parent->root();
}
