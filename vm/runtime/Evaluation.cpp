// Evaluations and their step.
#include "vm/runtime/Evaluation.h"

#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/Statement.h"

Evaluation::Evaluation(CodeRef code, Thread* thread) : code_(std::move(code)), thread_(thread) {}

Evaluation::Evaluation(CharStream text, Thread* thread)
    : Evaluation(CodeRef::adopt(Code::make(std::move(text), Code::Keeping::Latest)), thread) {}

Evaluation::~Evaluation() {
    Evaluation* child = child_;
    child_ = nullptr;
    while (child) {
        Evaluation* next = child->child_;
        child->child_ = nullptr;
        delete child;
        child = next;
    }
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
        parent->child_ = nullptr;
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
    child_ = child;
    root_->innermost_ = child;
    thread_->pushNewContext();
    return child;
}
