// Loading the image and scheduling the pooled evaluations.
#include "vm/runtime/ThreadPool.h"

#include <cstdio>

#include "vm/runtime/Evaluation.h"
#include "vm/runtime/ImageFile.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/World.h"

ThreadPool::ThreadPool(OrvexOutput* output) : output_(output), thread_(std::make_unique<Thread>(this)) {}

ThreadPool::~ThreadPool() {
    for (Evaluation* evaluation : evaluations_)
        delete evaluation;
    evaluations_.clear();
    thread_.reset();
}

Context ThreadPool::globalContext() const {
    return thread_->bottomContext();
}

void ThreadPool::load(const std::string& imageName) {
    std::string image;
    if (readImageFile(imageName, image)) loadText(image);
}

void ThreadPool::loadText(std::string_view image) {
    buildWorld(globalContext());
    Evaluation main(CharStream::view(image), thread_.get());
    while (!main.finished())
        main.step();
    setCurrentEvaluation(nullptr, nullptr);
}

Evaluation* ThreadPool::addEvaluation(CodeRef code, Thread* thread) {
    auto* evaluation = new Evaluation(std::move(code), thread);
    evaluations_.push_back(evaluation);
    if (runObserver) runObserver->added(*evaluation);
    return evaluation;
}

// One pass visits the list in order; evaluations added during the pass are visited in it too.
// Finished ones are dropped in place, so removal keeps the pass linear.
bool ThreadPool::run(const std::function<bool()>& budget) {
    bool spent = false;
    for (;;) {
        if (evaluations_.empty()) return true;
        bool stepped = false;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < evaluations_.size(); ++i) {
            Evaluation* evaluation = evaluations_[i];
            if (!spent && !evaluation->thread()->waiting()) {
                if (evaluation->finished()) {
                    delete evaluation;
                    continue;
                }
                if (budget && !budget()) {
                    spent = true;
                } else {
                    evaluation->step();
                    stepped = true;
                }
            }
            evaluations_[kept++] = evaluation;
        }
        evaluations_.resize(kept);
        if (spent) return false;
        if (!stepped) return true;
    }
}
