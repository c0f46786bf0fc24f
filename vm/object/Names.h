// Text helpers on names: string literals and number literals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// At least two bytes, '<' first and '>' last.
bool isStringLiteral(std::string_view s);
// s without its brackets when it is a string literal, else s.
std::string_view unquote(std::string_view s);
std::string formatDecimal(std::int32_t n);
// "<" + formatDecimal(n) + ">"
std::string formatNumberLiteral(std::int32_t n);
