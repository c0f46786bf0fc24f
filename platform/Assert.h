// Invariants that check themselves: ORVEX_ASSERT(condition, why) stops the process with where and
// why when condition is false, in debug and sanitizer builds (ORVEX_CHECKED); in a release build it
// costs nothing and condition is not evaluated. A failed assertion is a fault of this program,
// never of the Orvex program it runs: bad input must not reach one.
#pragma once

#if !defined(NDEBUG) || defined(ORVEX_CHECKED)
#define ORVEX_ASSERTIONS 1
#endif

[[noreturn]] void orvexAssertionFailed(const char* condition, const char* why, const char* file, int line);

#ifdef ORVEX_ASSERTIONS
#define ORVEX_ASSERT(condition, why)                                                                         \
    ((condition) ? static_cast<void>(0) : orvexAssertionFailed(#condition, why, __FILE__, __LINE__))
#else
#define ORVEX_ASSERT(condition, why) static_cast<void>(0)
#endif
