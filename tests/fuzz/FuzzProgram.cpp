// libFuzzer entry: the input bytes are the program text, run with a small budget of statements.
// Built only with ORVEX_FUZZER (clang); scripts/fuzz.sh runs it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/stress/BoundedRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StepBudget budget;
    budget.mainSteps = 2000;
    budget.poolSteps = 2000;
    runBounded(std::string_view(reinterpret_cast<const char*>(data), size), budget, "/dev/null");
    return 0;
}
