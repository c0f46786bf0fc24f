// Generated programs through the interpreter, each in a fresh world with a budget of
// statements. Nothing is expected of what they print: the test is that none of them crashes,
// hangs or trips the sanitizers, which do the real checking in the sanitized build.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/stress/BoundedRun.h"
#include "tests/stress/ProgramGenerator.h"
#include "tests/stress/ProgramWatch.h"

namespace {

// The sanitized (Debug) build runs some twenty times slower; it gets fewer programs to stay
// within a minute.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t programShare = 8;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr std::size_t programShare = 8;
#else
constexpr std::size_t programShare = 1;
#endif
#else
constexpr std::size_t programShare = 1;
#endif

struct Totals {
    std::size_t programs = 0;
    std::size_t busyPrograms = 0; // ran more than a handful of statements
};

Totals runPrograms(ProgramKind kind, std::uint64_t firstSeed, std::size_t count, const StepBudget& budget) {
    watchPrograms(120);
    const std::string output =
        ::testing::TempDir() + "orvex_stress_" + std::string(programKindName(kind)) + ".out";
    Totals totals;
    for (std::uint64_t seed = firstSeed; seed < firstSeed + count / programShare; ++seed) {
        const std::string text = ProgramGenerator(kind, seed).program();
        startProgram(kind, seed, text);
        const RunOutcome outcome = runBounded(text, budget, output);
        endProgram();
        EXPECT_FALSE(outcome.outOfMemory) << programKindName(kind) << " seed " << seed;
        EXPECT_FALSE(outcome.memoryExceeded) << programKindName(kind) << " seed " << seed;
        ++totals.programs;
        if (outcome.mainSteps + outcome.poolSteps > 10) ++totals.busyPrograms;
    }
    std::remove(output.c_str());
    return totals;
}

StepBudget testBudget() {
    StepBudget budget;
    budget.mainSteps = 4000;
    budget.poolSteps = 4000;
    budget.memoryBytes = std::size_t{2} << 30;
    return budget;
}

} // namespace

TEST(StressTest, ValidPrograms) {
    const Totals totals = runPrograms(ProgramKind::Valid, 1, 8000, testBudget());
    // A generator that the parser rejects at the first statement would pass while testing
    // nothing: most valid programs must get well into their text.
    EXPECT_GT(totals.busyPrograms * 10, totals.programs * 8);
}

TEST(StressTest, MutatedPrograms) {
    const Totals totals = runPrograms(ProgramKind::Mutated, 1, 6000, testBudget());
    EXPECT_GT(totals.busyPrograms * 2, totals.programs);
}

TEST(StressTest, TokenSoup) {
    runPrograms(ProgramKind::TokenSoup, 1, 12000, testBudget());
}

TEST(StressTest, RandomBytes) {
    runPrograms(ProgramKind::RandomBytes, 1, 8000, testBudget());
}
