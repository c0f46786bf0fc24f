// The thread pool: the global context, the world's loading, and the scheduler that interleaves
// the asynchronous evaluations one statement at a time.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vm/runtime/Code.h"

class Context;
class Evaluation;
class OrvexOutput;
class Thread;

class ThreadPool {
  public:
    explicit ThreadPool(OrvexOutput* output);
    // Frees what is left: pooled evaluations, then the thread and its contexts, the global one last.
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    // Builds the world and runs the image to its end, when the image file opens.
    void load(const std::string& imageName);
    // The same for an image already read, its line ends made LF.
    void loadText(std::string_view image);
    // Steps the pooled evaluations in passes until none is left or none can run, and then answers
    // true. A budget, when given, is asked before every step; its false ends the run there.
    bool run(const std::function<bool()>& budget = {});
    Evaluation* addEvaluation(CodeRef code, Thread* thread);

    // The evaluation whose statement is executing, and the root of its chain, through which a
    // synchronous call adds a child below it.
    Evaluation* currentEvaluation() const { return currentEvaluation_; }
    Evaluation* currentRoot() const { return currentRoot_; }
    void setCurrentEvaluation(Evaluation* evaluation, Evaluation* root) {
        currentEvaluation_ = evaluation;
        currentRoot_ = root;
    }
    // The bottom context of the one interpreter thread.
    Context globalContext() const;
    OrvexOutput* output() const { return output_; }
    Thread* thread() const { return thread_.get(); }
    std::size_t evaluationCount() const { return evaluations_.size(); }
    const std::vector<Evaluation*>& evaluations() const { return evaluations_; }

  private:
    std::vector<Evaluation*> evaluations_;
    Evaluation* currentEvaluation_ = nullptr;
    Evaluation* currentRoot_ = nullptr;
    OrvexOutput* output_;
    std::unique_ptr<Thread> thread_;
};
