// Evaluations and their step.
#include "vm/runtime/Evaluation.h"

#include "platform/Assert.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/Statement.h"

static_assert(sizeof(Evaluation) <= 24, "a loop keeps an evaluation per iteration");

Evaluation::Evaluation(CodeRef code, Thread* thread) : code_(std::move(code)), root_(true) {
    link_.state = new RootState{{}, thread, this};
}

Evaluation::Evaluation(CharStream text, Thread* thread)
    : Evaluation(CodeRef::adopt(Code::make(std::move(text), Code::Keeping::Latest)), thread) {}

// Only a root is deleted with descendants; a retired child has none left.
Evaluation::~Evaluation() {
    if (!root_) return;
    for (Evaluation* descendant = link_.state->innermost; descendant != this;) {
        Evaluation* parent = descendant->link_.parent;
        delete descendant;
        descendant = parent;
    }
    delete link_.state;
}

std::size_t Evaluation::descendants() const {
    ORVEX_ASSERT(root_, "only a root knows its chain");
    std::size_t count = 0;
    for (const Evaluation* e = link_.state->innermost; e != this; e = e->link_.parent)
        ++count;
    return count;
}

Evaluation* Evaluation::child() const {
    ORVEX_ASSERT(root_, "only a root knows its chain");
    for (Evaluation* e = link_.state->innermost; e != this; e = e->link_.parent)
        if (e->link_.parent == this) return e;
    return nullptr;
}

// Invariants: only the innermost evaluation of a chain can be finished, since an evaluation
// with a child asks its parser for nothing. So a step looks at the innermost one alone: if it
// is finished (and not the root), its parent retires it; otherwise it runs its next statement.
bool Evaluation::step() {
    ORVEX_ASSERT(root_, "a chain is stepped through its root");
    RootState& chain = *link_.state;
    Thread* thread = chain.thread;
    ThreadPool* pool = thread->pool();
    Evaluation* innermost = chain.innermost;
    bool ran = true;
    if (innermost != this && innermost->finished_) {
        Evaluation* parent = innermost->link_.parent;
        if (pool) pool->setCurrentEvaluation(parent, this);
        thread->popContext();
        chain.innermost = parent;
        delete innermost;
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

Evaluation* Evaluation::startChild(CodeRef code) {
    ORVEX_ASSERT(root_, "a child is started through the root of its chain");
    RootState& chain = *link_.state;
    auto* child = new Evaluation(std::move(code), chain.innermost);
    chain.innermost = child;
    chain.thread->pushNewContext();
    return child;
}

Evaluation::Evaluation(CodeRef code, Evaluation* parent) : code_(std::move(code)), root_(false) {
    link_.parent = parent;
}
