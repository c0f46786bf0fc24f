// The bounded run: a runtime of its own, its limits, and a second budget for the pool.
#include "tests/stress/BoundedRun.h"

#include <cstdio>

#include "vm/runtime/Runtime.h"
#include "vm/runtime/ThreadPool.h"

namespace {

void writeTo(void* file, const char* bytes, std::size_t size) {
    std::fwrite(bytes, 1, size, static_cast<std::FILE*>(file));
}

} // namespace

RunOutcome runBounded(std::string_view text, const StepBudget& budget, const std::string& outputName) {
    RunOutcome outcome;
    std::FILE* output = std::fopen(outputName.c_str(), "wb");
    {
        Runtime runtime;
        if (output) runtime.setOutput(writeTo, output);
        runtime.setLimits(budget.mainSteps, budget.memoryBytes);
        Runtime::Status status = runtime.runText(text);
        outcome.mainSteps = runtime.pool().statementsRun();
        outcome.mainFinished = !runtime.pool().mainEvaluation();
        if (status == Runtime::Status::StatementLimit) {
            // A main evaluation cut short is dropped, as a new run drops it, and the pool gets its own
            // budget.
            if (!outcome.mainFinished) status = runtime.load("");
            runtime.setLimits(budget.poolSteps, budget.memoryBytes);
            if (status == Runtime::Status::Finished) status = runtime.resume();
            outcome.poolSteps = runtime.pool().statementsRun();
        }
        outcome.poolDrained = status == Runtime::Status::Finished;
        outcome.memoryExceeded = status == Runtime::Status::MemoryLimit;
    }
    if (output) std::fclose(output);
    return outcome;
}
