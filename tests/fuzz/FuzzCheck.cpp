// libFuzzer entry: orvex check on the input bytes as an image. A checker that crashes or hangs on
// bad input is worse than none; what it says is not looked at here.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/orvex/Checker.h"
#include "vm/runtime/Runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::FILE* diagnostics = std::fopen("/dev/null", "w");
    Runtime runtime;
    Runtime::Use use(runtime);
    checkImage("fuzz.Orvex", std::string(reinterpret_cast<const char*>(data), size), diagnostics);
    return 0;
}
