// Text helpers on names.
#include "vm/object/Names.h"

bool isStringLiteral(std::string_view s) { return s.size() >= 2 && s.front() == '<' && s.back() == '>'; }

std::string_view unquote(std::string_view s) { return isStringLiteral(s) ? s.substr(1, s.size() - 2) : s; }

std::string formatDecimal(std::int32_t n) { return std::to_string(n); }

std::string formatNumberLiteral(std::int32_t n) { return "<" + formatDecimal(n) + ">"; }
