// The operations of the "<Math>" interface; each reads only its right operand.
#pragma once

#include <string>
#include <string_view>

namespace operations {

// For an integer literal n: 0 when n is 0, else one draw of the generator, seeded afresh from the
// operation clock, modulo n (never negative).
std::string randomNumber(std::string_view bound);

// No rounding rule is defined, so the operation is known but always fails.
std::string roundNumber(std::string_view value);

// The integer part of a numeric literal, truncated toward zero; "nil" outside the 32-bit range.
std::string truncateNumber(std::string_view value);

} // namespace operations
