// The arithmetic operations of the "String" interface, and concatenation, which shares "<+>".
#pragma once

#include <string>
#include <string_view>

namespace operations {

enum class ArithmeticOperator { Add, Subtract, Multiply, Divide, Remainder };

// Two integer literals compute in wrapping signed 32-bit arithmetic; a float literal on either side
// computes in double precision, except for the remainder, which is for integers only. When an operand is
// not numeric, Add with a string literal on the right concatenates the inner texts; all else is "nil".
// The answer is a constant, or written in scratch (replacing what it held, in its memory when that is
// enough: a text built piece by piece takes a block of the heap once, not at every piece); left and
// right lie elsewhere.
std::string_view arithmetic(std::string& scratch, ArithmeticOperator op, std::string_view left,
                            std::string_view right);

} // namespace operations
