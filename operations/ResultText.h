// The texts an operation returns: number texts and the bare result words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace operations {

// The failure result of every operation: unknown names and operands of the wrong form. A character
// array rather than a std::string, so that it needs no initialisation at start-up.
inline constexpr char nilResult[] = "nil";

// "true" or "false".
std::string_view truthText(bool value);

// "<", the decimal value, ">", with no '+' and no leading zeros; the second form in scratch (see
// arithmetic).
std::string integerNumberText(std::int64_t value);
std::string_view integerNumberText(std::string& scratch, std::int64_t value);

// Six significant digits in general notation with a three-digit exponent; a whole number that fits in a
// signed 32-bit integer gets ".0" so that it still reads back as a float literal. Infinities and
// not-a-number are <inf>, <-inf> and <nan>.
std::string doubleNumberText(double value);

// "<" + inner text of left + inner text of right + ">", whether or not the operands are literals,
// in scratch (see arithmetic).
std::string_view joinedLiteral(std::string& scratch, std::string_view left, std::string_view right);

} // namespace operations
