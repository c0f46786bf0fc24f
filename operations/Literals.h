// How the operation set reads its operands: string literals, inner texts and the two number forms.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The operation set's helpers live in their own namespace; OrvexVM's name helpers take the two
// literal tests from here.
namespace operations {

// The number forms are exclusive: a float literal has a '.', an integer literal has none.
enum class NumberForm { NotNumeric, Integer, Float };

// At least two bytes, '<' first and '>' last.
bool isStringLiteral(std::string_view text);

// The text without its first and last byte, whether or not it is a literal; empty below two bytes.
std::string_view innerText(std::string_view text);

// The inner text of a string literal; any other text as it is.
std::string_view unquote(std::string_view text);

NumberForm numberForm(std::string_view text);

// The value of an integer literal; none when it does not fit in a signed 32-bit integer.
std::optional<std::int32_t> integerValue(std::string_view integerLiteral);
// The value of an integer literal of at most nine digits (most operands), read in one pass; false
// for anything else, which numberForm and integerValue then read.
bool shortIntegerValue(std::string_view text, std::int32_t& value);

// The value of a numeric literal as a double. An integer literal that fits in 32 bits gives its
// integer value exactly; any other numeric literal is read as the C library reads a decimal number.
double floatValue(std::string_view numericLiteral);

} // namespace operations
