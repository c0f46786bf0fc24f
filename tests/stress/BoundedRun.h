// Running one program in a fresh world with a budget of statements. A generated program loops
// or recurses forever as easily as not, and ThreadPool::run would follow it, so the main
// evaluation and the pool are stepped here with the same algorithm and a limit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct StepBudget {
    std::size_t mainSteps = 20000;
    std::size_t poolSteps = 20000;
    // Resident memory, checked every few thousand steps: a program may still grow a text or
    // a context without bound, and the harness must not take the machine down with it.
    std::size_t memoryBytes = std::size_t{3} << 30;
};

struct RunOutcome {
    std::size_t mainSteps = 0;
    std::size_t poolSteps = 0;
    bool mainFinished = false; // the main evaluation ran to its end
    bool poolDrained = false;  // run would have returned by itself
    bool memoryExceeded = false;
    bool outOfMemory = false; // std::bad_alloc came out of the interpreter
};

// Builds the world as the interpreter does, runs text as the main evaluation and then the
// pool, and tears everything down in the interpreter's own order. outputName receives what the
// program prints.
RunOutcome runBounded(std::string_view text, const StepBudget& budget, const std::string& outputName);
