// orvex_stress: long stress campaigns and the replay of one program.
//   orvex_stress [--kind valid|mutated|soup|bytes|mix] [--seed N] [--count N] [--seconds N]
//                [--main-steps N] [--pool-steps N] [--watchdog N] [--slow MS] [--dump] [--save DIR]
// "mix" picks the kind from the seed (mostly valid programs). --dump prints each program before
// it runs. --save writes every program that ended by itself within the budget to DIR as an
// image, for runs of OrvexVM itself (whose run() has no budget) and for fuzzing corpora. Programs slower than
// --slow milliseconds are listed, so that a near-hang shows up before it becomes a hang.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/stress/BoundedRun.h"
#include "tests/stress/ProgramGenerator.h"
#include "tests/stress/ProgramWatch.h"

namespace {

struct Options {
    bool mix = true;
    ProgramKind kind = ProgramKind::Valid;
    std::uint64_t seed = 1;
    std::uint64_t count = UINT64_MAX;
    double seconds = 0;
    unsigned watchdog = 120;
    double slowMilliseconds = 2000;
    bool dump = false;
    std::string saveDirectory;
    StepBudget budget;
};

ProgramKind kindForSeed(std::uint64_t seed) {
    switch (seed % 20) {
    case 0:
    case 1:
    case 2:
    case 3:
        return ProgramKind::Mutated;
    case 4:
    case 5:
        return ProgramKind::TokenSoup;
    case 6:
        return ProgramKind::RandomBytes;
    default:
        return ProgramKind::Valid;
    }
}

void save(const std::string& directory, ProgramKind kind, std::uint64_t seed, const std::string& text) {
    const std::string name =
        directory + "/" + std::string(programKindName(kind)) + "-" + std::to_string(seed) + ".Orvex";
    if (std::FILE* file = std::fopen(name.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        auto number = [&]() { return std::strtoull(next, nullptr, 10); };
        if (arg == "--dump") {
            options.dump = true;
            continue;
        }
        if (!next) return false;
        ++i;
        if (arg == "--kind") {
            options.mix = std::strcmp(next, "mix") == 0;
            if (!options.mix && !parseProgramKind(next, options.kind)) return false;
        } else if (arg == "--seed") {
            options.seed = number();
        } else if (arg == "--count") {
            options.count = number();
        } else if (arg == "--seconds") {
            options.seconds = std::strtod(next, nullptr);
        } else if (arg == "--main-steps") {
            options.budget.mainSteps = number();
        } else if (arg == "--pool-steps") {
            options.budget.poolSteps = number();
        } else if (arg == "--watchdog") {
            options.watchdog = static_cast<unsigned>(number());
        } else if (arg == "--save") {
            options.saveDirectory = next;
        } else if (arg == "--slow") {
            options.slowMilliseconds = std::strtod(next, nullptr);
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: orvex_stress [--kind valid|mutated|soup|bytes|mix] [--seed N] [--count N] "
                     "[--seconds N] [--main-steps N] [--pool-steps N] [--watchdog N] [--slow MS] [--dump] "
                     "[--save DIR]\n");
        return 2;
    }
    watchPrograms(options.watchdog);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    std::uint64_t programs = 0, mainFinished = 0, poolDrained = 0, budgetSpent = 0, statements = 0,
                  memory = 0;
    std::uint64_t seed = options.seed;
    for (; seed - options.seed < options.count; ++seed) {
        if (options.seconds > 0 &&
            std::chrono::duration<double>(Clock::now() - start).count() > options.seconds)
            break;
        const ProgramKind kind = options.mix ? kindForSeed(seed) : options.kind;
        const std::string text = ProgramGenerator(kind, seed).program();
        if (options.dump)
            std::printf("--- %s seed %llu\n%s\n", programKindName(kind).data(),
                        static_cast<unsigned long long>(seed), text.c_str());
        const Clock::time_point programStart = Clock::now();
        startProgram(kind, seed, text);
        const RunOutcome outcome = runBounded(text, options.budget, "/dev/null");
        endProgram();
        const double milliseconds =
            std::chrono::duration<double, std::milli>(Clock::now() - programStart).count();
        if (milliseconds > options.slowMilliseconds)
            std::printf("slow: %s seed %llu took %.0f ms (%zu main, %zu pool steps)\n",
                        programKindName(kind).data(), static_cast<unsigned long long>(seed), milliseconds,
                        outcome.mainSteps, outcome.poolSteps);
        if (outcome.memoryExceeded || outcome.outOfMemory)
            std::printf("memory: %s seed %llu exceeded the memory budget%s\n", programKindName(kind).data(),
                        static_cast<unsigned long long>(seed), outcome.outOfMemory ? " (bad_alloc)" : "");
        if (options.dump)
            std::printf("--- %zu main steps (%s), %zu pool steps (%s)\n", outcome.mainSteps,
                        outcome.mainFinished ? "finished" : "cut", outcome.poolSteps,
                        outcome.poolDrained ? "drained" : "cut");
        if (!options.saveDirectory.empty() && outcome.mainFinished && outcome.poolDrained)
            save(options.saveDirectory, kind, seed, text);
        ++programs;
        mainFinished += outcome.mainFinished;
        poolDrained += outcome.poolDrained;
        budgetSpent += !outcome.mainFinished || !outcome.poolDrained;
        memory += outcome.memoryExceeded || outcome.outOfMemory;
        statements += outcome.mainSteps + outcome.poolSteps;
        std::fflush(stdout);
    }
    std::printf("programs %llu (seeds %llu..%llu), statements %llu, main finished %llu, pool drained %llu, "
                "budget spent %llu, memory %llu, %.1f s\n",
                static_cast<unsigned long long>(programs), static_cast<unsigned long long>(options.seed),
                static_cast<unsigned long long>(seed - 1), static_cast<unsigned long long>(statements),
                static_cast<unsigned long long>(mainFinished), static_cast<unsigned long long>(poolDrained),
                static_cast<unsigned long long>(budgetSpent), static_cast<unsigned long long>(memory),
                std::chrono::duration<double>(Clock::now() - start).count());
    return 0;
}
