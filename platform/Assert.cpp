// The end of a process whose invariant did not hold.
#include "platform/Assert.h"

#include <cstdio>
#include <cstdlib>

void orvexAssertionFailed(const char* condition, const char* why, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: internal error: %s (%s does not hold)\n", file, line, why, condition);
    std::fflush(stderr);
    std::abort();
}
