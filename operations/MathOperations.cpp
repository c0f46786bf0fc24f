// Random numbers, rounding and truncation, and the clock that seeds the random numbers.
#include "operations/MathOperations.h"

#include "operations/Literals.h"
#include "operations/Operations.h"
#include "operations/ResultText.h"

#include <atomic>
#include <cstdint>
#include <ctime>
#include <optional>

namespace {

// time_t is wider than 32 bits on current systems; the seed keeps the low 32 bits.
std::uint32_t systemSeconds() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

// Read by every <random> call, on whichever thread makes it, and replaced by tests: hence atomic.
std::atomic<SecondsClock> operationClock{systemSeconds};

} // namespace

void setOperationClock(SecondsClock clock) {
    operationClock = clock ? clock : systemSeconds;
}

namespace operations {

namespace {

// One step of a linear congruential generator; the draw is bits 16 to 30 of the new state.
std::int32_t drawFrom(std::uint32_t state) {
    state = state * 214013u + 2531011u;
    return static_cast<std::int32_t>((state >> 16) & 0x7FFF);
}

// The truncated value must fit in 32 bits; NaN fails both tests, and converting it would be undefined.
bool truncatesIntoInt32(double value) {
    return value > -2147483649.0 && value < 2147483648.0;
}

} // namespace

std::string randomNumber(std::string_view bound) {
    if (numberForm(bound) != NumberForm::Integer) return nilResult;
    std::optional<std::int32_t> n = integerValue(bound);
    if (!n) return nilResult;
    // The generator is reseeded at every call, so its state is local: calls in the same second agree.
    std::uint32_t state = operationClock.load()();
    if (*n == 0) return integerNumberText(0);
    // r is never negative, so the remainder is not either, whatever the sign of n. In 64 bits the
    // smallest 32-bit n needs no special case.
    return integerNumberText(std::int64_t{drawFrom(state)} % *n);
}

std::string roundNumber(std::string_view) {
    return nilResult;
}

std::string truncateNumber(std::string_view value) {
    switch (numberForm(value)) {
    case NumberForm::Integer: {
        std::optional<std::int32_t> integer = integerValue(value);
        return integer ? integerNumberText(*integer) : nilResult;
    }
    case NumberForm::Float: {
        double real = floatValue(value);
        return truncatesIntoInt32(real) ? integerNumberText(static_cast<std::int32_t>(real)) : nilResult;
    }
    case NumberForm::NotNumeric:
        break;
    }
    return nilResult;
}

} // namespace operations
