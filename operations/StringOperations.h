// The text operations of the "String" interface: comparison, append and length.
#pragma once

#include <string>
#include <string_view>

namespace operations {

enum class Comparison { Equal, Less };

// Two numeric operands compare by value; otherwise the whole texts compare byte by byte, brackets
// included, so <ab!> sorts before <ab>.
std::string_view compare(Comparison comparison, std::string_view left, std::string_view right);

// "<" + both inner texts + ">" when both are string literals, in scratch (see arithmetic).
std::string_view append(std::string& scratch, std::string_view left, std::string_view right);

// The number of bytes between the brackets of a string literal.
std::string length(std::string_view text);

} // namespace operations
