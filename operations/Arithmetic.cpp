// Integer and double arithmetic on numeric literals, and concatenation of texts.
#include "operations/Arithmetic.h"

#include "operations/Literals.h"
#include "operations/ResultText.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace operations {

namespace {

// Conversion to unsigned and back is modular, so the wrap needs no overflowing signed operation.
std::int32_t wrapToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// Two 32-bit operands never overflow in 64 bits, the smallest integer divided by -1 included. The
// caller has excluded a zero divisor.
std::int64_t applyToIntegers(ArithmeticOperator op, std::int64_t a, std::int64_t b) {
    switch (op) {
    case ArithmeticOperator::Add:
        return a + b;
    case ArithmeticOperator::Subtract:
        return a - b;
    case ArithmeticOperator::Multiply:
        return a * b;
    case ArithmeticOperator::Divide:
        return a / b; // truncates toward zero
    case ArithmeticOperator::Remainder:
        return a % b; // takes the sign of a
    }
    return 0;
}

// The language leaves a division by zero undefined even for doubles, so its IEEE result is built here.
double divideDoubles(double dividend, double divisor) {
    if (divisor != 0.0) return dividend / divisor;
    if (dividend == 0.0 || std::isnan(dividend)) return std::numeric_limits<double>::quiet_NaN();
    double infinity = std::numeric_limits<double>::infinity();
    return std::signbit(dividend) != std::signbit(divisor) ? -infinity : infinity;
}

// The remainder never reaches here: a float operand makes it "nil".
double applyToDoubles(ArithmeticOperator op, double a, double b) {
    switch (op) {
    case ArithmeticOperator::Add:
        return a + b;
    case ArithmeticOperator::Subtract:
        return a - b;
    case ArithmeticOperator::Multiply:
        return a * b;
    case ArithmeticOperator::Divide:
        return divideDoubles(a, b);
    case ArithmeticOperator::Remainder:
        break;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

bool dividesByZero(ArithmeticOperator op, std::int32_t divisor) {
    return divisor == 0 && (op == ArithmeticOperator::Divide || op == ArithmeticOperator::Remainder);
}

std::string integerArithmetic(ArithmeticOperator op, std::string_view left, std::string_view right) {
    std::optional<std::int32_t> a = integerValue(left);
    std::optional<std::int32_t> b = integerValue(right);
    if (!a || !b || dividesByZero(op, *b)) return nilResult;
    return integerNumberText(wrapToInt32(applyToIntegers(op, *a, *b)));
}

} // namespace

std::string_view arithmetic(std::string& scratch, ArithmeticOperator op, std::string_view left,
                            std::string_view right) {
    std::int32_t a, b;
    if (shortIntegerValue(left, a) && shortIntegerValue(right, b)) {
        if (dividesByZero(op, b)) return nilResult;
        return integerNumberText(scratch, wrapToInt32(applyToIntegers(op, a, b)));
    }
    NumberForm leftForm = numberForm(left);
    NumberForm rightForm = numberForm(right);
    if (leftForm != NumberForm::NotNumeric && rightForm != NumberForm::NotNumeric) {
        if (leftForm == NumberForm::Integer && rightForm == NumberForm::Integer)
            return scratch = integerArithmetic(op, left, right);
        if (op == ArithmeticOperator::Remainder) return nilResult;
        return scratch = doubleNumberText(applyToDoubles(op, floatValue(left), floatValue(right)));
    }
    if (op == ArithmeticOperator::Add && isStringLiteral(right)) return joinedLiteral(scratch, left, right);
    return nilResult;
}

} // namespace operations
