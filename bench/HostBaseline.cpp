// What the machine alone makes of a deep recursion's memory: N iterations, each doing a fixed amount
// of work and keeping a fixed number of bytes for good, carved from the interpreter's own pool. There is
// nothing here whose cost per iteration grows with N, so any t(2N)/t(N) above 2 is the system's: on a virtual
// machine whose host takes back freed memory, the first write to each fresh page can cost more than the work
// itself.
//
//   host_baseline N BYTES_PER_ITERATION NANOSECONDS_PER_ITERATION
//
// Prints "seconds user system" of the run.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/resource.h>

#include "vm/memory/SmallAllocator.h"

namespace {

using Clock = std::chrono::steady_clock;

std::uint64_t state = 1;

// Work that no compiler can fold away: steps of a linear congruential generator.
void work(std::uint64_t steps) {
    std::uint64_t x = state;
    for (std::uint64_t i = 0; i < steps; ++i)
        x = x * 6364136223846793005ull + 1442695040888963407ull;
    state = x;
}

// Steps per nanosecond, measured over some 20 ms.
double stepsPerNanosecond() {
    constexpr std::uint64_t steps = 1u << 22;
    double best = 0;
    for (int round = 0; round < 5; ++round) {
        const auto start = Clock::now();
        work(steps);
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        if (ns > 0 && steps / ns > best) best = steps / ns;
    }
    return best;
}

double seconds(const timeval& t) {
    return t.tv_sec + t.tv_usec / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: host_baseline N BYTES_PER_ITERATION NANOSECONDS_PER_ITERATION\n");
        return 2;
    }
    const std::uint64_t n = std::strtoull(argv[1], nullptr, 10);
    const std::size_t bytes = std::strtoull(argv[2], nullptr, 10);
    const double ns = std::strtod(argv[3], nullptr);
    if (bytes == 0 || bytes > SmallAllocator::largest || !(ns >= 0)) {
        std::fprintf(stderr, "host_baseline: bytes must be 1 to %zu, nanoseconds not negative\n",
                     SmallAllocator::largest);
        return 2;
    }
    const auto steps = static_cast<std::uint64_t>(ns * stepsPerNanosecond());

    // The pool's own chunks, taken as the interpreter takes them; like its symbols' texts, the
    // bytes are given back only with the allocator.
    SmallAllocator allocator;
    SmallAllocator::exchangeCurrent(&allocator);
    const auto start = Clock::now();
    for (std::uint64_t i = 0; i < n; ++i) {
        work(steps);
        std::memset(SmallAllocator::carveForever(bytes), static_cast<int>(state), bytes);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.3f %.3f %.3f\n", wall, seconds(usage.ru_utime), seconds(usage.ru_stime));
    return 0;
}
