// libFuzzer entry: the sizes and counts of orvex run's command line (--max-memory 1.5G,
// --max-statements 1000), read by the C library's number parsing and a unit of orvex's own. A text
// taken is a positive amount that fits; anything else is refused, never wrapped or truncated to 0.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/orvex/Run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size); // a NUL ends it, as in argv
    std::size_t bytes = 0;
    if (parseSize(text.c_str(), bytes) && bytes == 0) std::abort();
    std::uint64_t count = 0;
    if (parseCount(text.c_str(), count) && count == 0) std::abort();
    return 0;
}
