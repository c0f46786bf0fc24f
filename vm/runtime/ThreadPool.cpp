// The main evaluation and the scheduling of the pooled evaluations.
#include "vm/runtime/ThreadPool.h"

#include <algorithm>

#include "vm/object/Heap.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/RunObserver.h"

ThreadPool::ThreadPool(OrvexOutput* output, std::string* answers)
    : output_(output), answers_(answers), thread_(this) {}

ThreadPool::~ThreadPool() {
    delete main_;
    for (RootEvaluation* evaluation : evaluations_)
        delete evaluation;
}

Context ThreadPool::globalContext() const {
    return thread_.bottomContext();
}

void ThreadPool::startMain(CharStream text) {
    if (main_) {
        // Only the main evaluation ran since it started, so the contexts on top are its children's.
        for (std::size_t child = main_->descendants(); child != 0; --child)
            thread_.popContext();
        delete main_;
        main_ = nullptr;
    }
    main_ = new RootEvaluation(std::move(text), &thread_);
}

void ThreadPool::abandon() {
    while (thread_.depth() > 1)
        thread_.popContext();
    delete main_;
    main_ = nullptr;
    for (RootEvaluation* evaluation : evaluations_)
        delete evaluation;
    evaluations_.clear();
    inPass_ = false;
    visit_ = kept_ = 0;
    setCurrentEvaluation(nullptr, nullptr);
}

RootEvaluation* ThreadPool::addEvaluation(CodeRef code, Thread* thread) {
    makeRoomForOne(evaluations_); // before the evaluation: nothing is made for nothing
    auto* evaluation = new RootEvaluation(std::move(code), thread);
    evaluations_.push_back(evaluation);
    if (RunObserver* observer = runObserver()) observer->added(*evaluation);
    return evaluation;
}

bool ThreadPool::nextSlice() {
    if (interrupted_.exchange(false, std::memory_order_relaxed)) {
        cut_ = Outcome::Interrupted;
        return false;
    }
    if (turnsLeft_ == 0) {
        cut_ = Outcome::StatementLimit;
        return false;
    }
    const std::uint64_t turns = std::min(turnsLeft_, slice);
    turnsLeft_ -= turns;
    turns_.store(turns - 1, std::memory_order_relaxed); // this statement's turn is the first of the slice
    return true;
}

void ThreadPool::closeGap() {
    evaluations_.erase(evaluations_.begin() + static_cast<std::ptrdiff_t>(kept_),
                       evaluations_.begin() + static_cast<std::ptrdiff_t>(visit_));
    visit_ = kept_;
}

// One pass visits the list in order; evaluations added during the pass are visited in it too.
// Finished ones are dropped in place, so removal keeps the pass linear.
ThreadPool::Outcome ThreadPool::run() {
    interrupted_.store(false, std::memory_order_relaxed);
    turns_.store(0, std::memory_order_relaxed);
    turnsGiven_ = turnsLeft_ = statementLimit_ != 0 ? statementLimit_ : UINT64_MAX;
    // Between two statements nothing holds a symbol or points at an object but what counts as doing
    // so: the texts and the dead objects let go of are freed there.
    SymbolTable& symbols = SymbolTable::current();
    Heap& heap = Heap::current();
    auto collect = [&] {
        if (heap.hasUnreachable()) heap.collect();
        if (symbols.hasReleased()) symbols.collect();
    };
    if (main_) {
        while (!main_->finished()) {
            if (!main_->step()) return cut_;
            collect();
        }
        delete main_;
        main_ = nullptr;
    }
    for (;;) {
        if (!inPass_) {
            if (evaluations_.empty()) return Outcome::Finished;
            inPass_ = true;
            stepped_ = false;
            visit_ = kept_ = 0;
        }
        while (visit_ < evaluations_.size()) {
            RootEvaluation* evaluation = evaluations_[visit_];
            if (!evaluation->thread()->waiting()) {
                if (evaluation->finished()) {
                    delete evaluation;
                    ++visit_;
                    continue;
                }
                bool ran;
                try {
                    ran = evaluation->step();
                } catch (...) {
                    closeGap();
                    throw;
                }
                if (!ran) {
                    closeGap();
                    return cut_;
                }
                collect();
                stepped_ = true;
            }
            evaluations_[kept_++] = evaluation;
            ++visit_;
        }
        evaluations_.resize(kept_);
        inPass_ = false;
        if (!stepped_) return Outcome::Finished;
    }
}
