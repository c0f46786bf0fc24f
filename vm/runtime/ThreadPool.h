// The thread pool: the one interpreter thread over the global context, the main evaluation of a
// run, and the scheduler that interleaves the asynchronous evaluations one statement at a time.
// A run can be cut between two statements (a limit of statements, an interrupt) and goes on from
// there exactly as if it had not been.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "vm/memory/SmallAllocator.h"
#include "vm/runtime/Code.h"
#include "vm/runtime/Thread.h"

class Context;
class Evaluation;
class RootEvaluation;
class OrvexOutput;

class ThreadPool {
  public:
    // output and answers are the runtime's own, outside its memory.
    ThreadPool(OrvexOutput* output, std::string* answers);
    // Frees what is left: the main evaluation and the pooled ones. A runtime does not call it: its
    // memory goes all at once.
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    // The text that the next run() reads as its main evaluation. A main evaluation that a cut left
    // unfinished is dropped, with the contexts it pushed; the pooled evaluations stay.
    void startMain(CharStream text);

    // Drops the run under way: the main evaluation, every pooled one, and the contexts their children
    // pushed. What they bound in the global context stays.
    void abandon();

    enum class Outcome { Finished, StatementLimit, Interrupted };
    // Steps the main evaluation to its end (its thread's waiting mark is not consulted), then the
    // pooled evaluations in passes, until none is left or none can run: Finished. A cut answers
    // why, before a statement that has not run; the next run() goes on from there.
    Outcome run();
    // At most count statements from the start of each run() (0: no limit).
    void setStatementLimit(std::uint64_t count) { statementLimit_ = count; }
    // The statements the last run() executed (one that an interrupt cut may count a few more).
    std::uint64_t statementsRun() const {
        return turnsGiven_ - turnsLeft_ - turns_.load(std::memory_order_relaxed);
    }
    // Asks the run under way to stop before its next statement. From any OS thread; an interrupt
    // made while no run is under way is forgotten when the next one starts.
    void interrupt() {
        interrupted_.store(true, std::memory_order_relaxed);
        turns_.store(0, std::memory_order_relaxed);
    }

    // Asked before every statement: whether it may run. The turns are counted out a slice at a
    // time, so the interrupt's flag is looked at once per slice and a statement costs a decrement.
    // An interrupt also ends the slice; should the interpreter's decrement overwrite that, the
    // flag still ends the run within the slice. Relaxed loads and stores: plain moves.
    bool takeTurn() {
        const std::uint64_t turns = turns_.load(std::memory_order_relaxed);
        if (turns != 0) [[likely]] {
            turns_.store(turns - 1, std::memory_order_relaxed);
            return true;
        }
        return nextSlice();
    }

    RootEvaluation* addEvaluation(CodeRef code, Thread* thread);

    // The evaluation whose statement is executing, and the root of its chain, through which a
    // synchronous call adds a child below it.
    Evaluation* currentEvaluation() const { return currentEvaluation_; }
    RootEvaluation* currentRoot() const { return currentRoot_; }
    void setCurrentEvaluation(Evaluation* evaluation, RootEvaluation* root) {
        currentEvaluation_ = evaluation;
        currentRoot_ = root;
    }
    // The bottom context of the one interpreter thread.
    Context globalContext() const;
    std::string& answerBuffer() const { return *answers_; }
    OrvexOutput* output() const { return output_; }
    Thread* thread() const { return &thread_; }
    RootEvaluation* mainEvaluation() const { return main_; }
    std::size_t evaluationCount() const { return evaluations_.size(); }
    const std::vector<RootEvaluation*, SmallBlocks<RootEvaluation*>>& evaluations() const {
        return evaluations_;
    }

  private:
    bool nextSlice();
    // Closes the gap that a pass leaves behind it in the list (evaluations kept are moved down
    // over finished ones), so that the list holds each evaluation once between two steps.
    void closeGap();

    std::vector<RootEvaluation*, SmallBlocks<RootEvaluation*>> evaluations_;
    RootEvaluation* main_ = nullptr;
    Evaluation* currentEvaluation_ = nullptr;
    RootEvaluation* currentRoot_ = nullptr;
    OrvexOutput* output_;
    std::string* answers_;
    mutable Thread thread_;

    // The pass under way: the next evaluation to visit, where the next one kept goes, and whether
    // anything was stepped in it.
    bool inPass_ = false;
    bool stepped_ = false;
    std::size_t visit_ = 0;
    std::size_t kept_ = 0;

    static constexpr std::uint64_t slice = 4096;
    std::uint64_t statementLimit_ = 0;
    // Outside a run (a test stepping an evaluation itself) turns are not counted.
    std::uint64_t turnsGiven_ = UINT64_MAX; // to this run
    std::uint64_t turnsLeft_ = UINT64_MAX;  // of those, beyond the slice under way
    std::atomic<std::uint64_t> turns_{0};
    Outcome cut_ = Outcome::Finished;
    std::atomic<bool> interrupted_{false};
};
