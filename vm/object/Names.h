// Names: the literal helpers, the list of names a statement passes on, and the names the interpreter
// itself binds, looks up or reads, each spelled once here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "operations/Literals.h"

// The names written between a call's parentheses, in order.
using ParameterList = std::vector<std::string>;

using operations::isStringLiteral;
using operations::unquote;

std::string formatDecimal(std::int32_t n);
// "<" + formatDecimal(n) + ">"
std::string formatNumberLiteral(std::int32_t n);

namespace names {
// The world's objects, bound in the global context; every statement and primitive looks "nil" and
// "String" up when it runs, so a program that binds them again changes what it gets.
inline constexpr std::string_view nil = "nil";
inline constexpr std::string_view string = "String";
inline constexpr std::string_view externObject = "Extern";
inline constexpr std::string_view system = "System";
// Bound by programs, read by <has> and the interception call.
inline constexpr std::string_view trueName = "true";
inline constexpr std::string_view falseName = "false";
// A call's frame.
inline constexpr std::string_view params = "params";
inline constexpr std::string_view sender = "sender";
inline constexpr std::string_view mySelf = "mySelf";
inline constexpr std::string_view returnName = "return";
// Special members.
inline constexpr std::string_view id = "<id>";
inline constexpr std::string_view super = "<super>";
inline constexpr std::string_view objects = "<objects>";
inline constexpr std::string_view twoPoints = "<:>";
inline constexpr std::string_view synchronousCode = "<()>";
inline constexpr std::string_view asynchronousCode = "<)(>";
// The one literal <print> writes differently: a line feed alone.
inline constexpr std::string_view newline = "<\n>";
} // namespace names
