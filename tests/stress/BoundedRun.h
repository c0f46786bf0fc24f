// Running one program in a fresh runtime with a budget of statements and of memory. A generated
// program loops or recurses forever as easily as not, and a run would follow it, so the runtime's
// limits cut it: the main evaluation gets one budget, the pooled evaluations another.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct StepBudget {
    std::size_t mainSteps = 20000;
    std::size_t poolSteps = 20000;
    // Every byte the runtime holds: a program may still grow a text or a context without bound,
    // and the harness must not take the machine down with it.
    std::size_t memoryBytes = std::size_t{3} << 30;
};

struct RunOutcome {
    std::size_t mainSteps = 0; // statements run while the main evaluation had not finished
    std::size_t poolSteps = 0; // statements run by the pooled evaluations after a cut main
    bool mainFinished = false; // the main evaluation ran to its end
    bool poolDrained = false;  // the run ended by itself
    bool memoryExceeded = false;
    bool outOfMemory = false; // kept for the harness's reports; the limit covers it now
};

// Runs text in a new runtime as OrvexVM would, within the budget. outputName receives what the
// program prints.
RunOutcome runBounded(std::string_view text, const StepBudget& budget, const std::string& outputName);
