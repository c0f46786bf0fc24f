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
// for anything else, which numberForm and integerValue then read. Inline: every arithmetic
// operation and every number text the symbol table meets go through it.
inline bool shortIntegerValue(std::string_view text, std::int32_t& value) {
    const std::size_t size = text.size();
    if (size < 2 || size > 12 || text.front() != '<' || text.back() != '>') return false;
    std::size_t i = text[1] == '+' || text[1] == '-' ? 2 : 1;
    if (size - 1 - i > 9) return false;
    std::int32_t magnitude = 0;
    for (; i + 1 < size; ++i) {
        const auto digit = static_cast<unsigned>(text[i] - '0');
        if (digit > 9) return false;
        magnitude = magnitude * 10 + static_cast<std::int32_t>(digit);
    }
    value = text[1] == '-' ? -magnitude : magnitude;
    return true;
}

// The value of a numeric literal as a double. An integer literal that fits in 32 bits gives its
// integer value exactly; any other numeric literal is read as the C library reads a decimal number.
double floatValue(std::string_view numericLiteral);

} // namespace operations
