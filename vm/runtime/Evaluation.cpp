// Evaluations and their step.
#include "vm/runtime/Evaluation.h"

#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/Statement.h"

Evaluation::Evaluation(CodeRef code, Thread* thread) : code_(std::move(code)), thread_(thread) {}

Evaluation::Evaluation(CharStream text, Thread* thread)
    : Evaluation(CodeRef::adopt(Code::make(std::move(text), Code::Keeping::Latest)), thread) {}

// Only a root is deleted with descendants; a retired child has none left.
Evaluation::~Evaluation() {
    if (root_ != this) return;
    for (Evaluation* descendant = innermost_; descendant != this;) {
        Evaluation* parent = descendant->parent_;
        delete descendant;
        descendant = parent;
    }
}

Evaluation* Evaluation::child() const {
    for (Evaluation* e = root_->innermost_; e != this && e; e = e->parent_)
        if (e->parent_ == this) return e;
    return nullptr;
}

// Invariants: only the innermost evaluation of a chain can be finished, since an evaluation
// with a child asks its parser for nothing. So a step looks at the innermost one alone: if it
// is finished (and not the root), its parent retires it; otherwise it runs its next statement.
void Evaluation::step() {
    ThreadPool* pool = thread_->pool();
    Evaluation* innermost = root_->innermost_;
    if (innermost != this && innermost->finished_) {
        Evaluation* parent = innermost->parent_;
        if (pool) pool->setCurrentEvaluation(parent);
        thread_->popContext();
        root_->innermost_ = parent;
        delete innermost;
    } else {
        if (pool) pool->setCurrentEvaluation(innermost);
        innermost->executeNextStatement();
    }
    if (pool) pool->setCurrentEvaluation(nullptr);
}

void Evaluation::executeNextStatement() {
    Statement* statement = code_->statement(next_);
    if (!statement) {
        if (runObserver) runObserver->finished(*this, *code_.get());
        finished_ = true;
        code_ = CodeRef(); // the frame stays until it is retired; what it read can go now
        return;
    }
    ++next_;
    statement->setThread(thread_);
    statement->execute();
}

Evaluation* Evaluation::startChild(CodeRef code) {
    auto* child = new Evaluation(std::move(code), thread_);
    child->parent_ = this;
    child->root_ = root_;
    root_->innermost_ = child;
    thread_->pushNewContext();
    return child;
}
