// The bounded run: world, main evaluation, pool passes, teardown.
#include "tests/stress/BoundedRun.h"

#include <cstdio>
#include <new>
#include <vector>

#include "vm/object/Heap.h"
#include "vm/object/Object.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/OrvexOutput.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/runtime/World.h"

namespace {

constexpr std::size_t memoryCheckInterval = 4096;

std::size_t residentBytes() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    unsigned long size = 0, resident = 0;
    const int read = std::fscanf(statm, "%lu %lu", &size, &resident);
    std::fclose(statm);
    return read == 2 ? resident * 4096 : 0;
}

class StepCounter {
  public:
    StepCounter(std::size_t& steps, std::size_t limit, const StepBudget& budget, RunOutcome& outcome)
        : steps_(steps), limit_(limit), budget_(budget), outcome_(outcome) {}
    // Counts one step; false once the budget or the memory is spent.
    bool take() {
        if (steps_ >= limit_ || outcome_.memoryExceeded) return false;
        if (++steps_ % memoryCheckInterval == 0 && residentBytes() > budget_.memoryBytes) {
            outcome_.memoryExceeded = true;
        }
        return true;
    }

  private:
    std::size_t& steps_;
    std::size_t limit_;
    const StepBudget& budget_;
    RunOutcome& outcome_;
};

} // namespace

RunOutcome runBounded(std::string_view text, const StepBudget& budget, const std::string& outputName) {
    RunOutcome outcome;
    Heap& heap = Heap::instance();
    heap.clear();
    {
        OrvexOutput output(outputName.c_str());
        heap.setSystem(heap.make<Object>());
        try {
            ThreadPool pool(&output);
            buildWorld(pool.globalContext());
            Thread* thread = pool.thread();
            {
                // Like load: the waiting mark is not consulted for the main evaluation.
                Evaluation main(CharStream::copy(text), thread);
                StepCounter counter(outcome.mainSteps, budget.mainSteps, budget, outcome);
                while (!main.finished() && counter.take())
                    main.step();
                outcome.mainFinished = main.finished();
            }
            pool.setCurrentEvaluation(nullptr, nullptr);
            if (!outcome.memoryExceeded) {
                StepCounter counter(outcome.poolSteps, budget.poolSteps, budget, outcome);
                outcome.poolDrained = pool.run([&] { return counter.take(); });
            }
        } catch (const std::bad_alloc&) {
            outcome.outOfMemory = true;
        }
        heap.system()->kill();
    }
    heap.clear();
    return outcome;
}
