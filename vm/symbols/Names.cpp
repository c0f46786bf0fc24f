// Number literals and the well-known names.
#include "vm/symbols/Names.h"

#include <charconv>

std::string formatDecimal(std::int32_t n) {
    return std::to_string(n);
}

std::string formatNumberLiteral(std::int32_t n) {
    char buffer[16] = {'<'};
    char* end = std::to_chars(buffer + 1, buffer + sizeof buffer - 1, n).ptr;
    *end++ = '>';
    return std::string(buffer, end);
}

// Parameter objects ask for the same few keys at every call.
const Symbol& numberLiteral(std::int32_t n) {
    if (n >= 0 && n < static_cast<std::int32_t>(wellKnownCount - names::firstNumber))
        return wellKnownSymbols[names::firstNumber + static_cast<std::uint32_t>(n)];
    return SymbolTable::current().number(n);
}

namespace {
constexpr Symbol wellKnown(std::string_view text, std::uint32_t id) {
    return Symbol::over(text, id);
}
} // namespace

// In the order of the names in Names.h, which the ids follow.
constinit const Symbol wellKnownSymbols[wellKnownCount] = {
    wellKnown("", 0),          wellKnown("nil", 1),        wellKnown("String", 2),  wellKnown("Extern", 3),
    wellKnown("System", 4),    wellKnown("true", 5),       wellKnown("false", 6),   wellKnown("params", 7),
    wellKnown("sender", 8),    wellKnown("mySelf", 9),     wellKnown("return", 10), wellKnown("<id>", 11),
    wellKnown("<super>", 12),  wellKnown("<objects>", 13), wellKnown("<:>", 14),    wellKnown("<()>", 15),
    wellKnown("<)(>", 16),     wellKnown("<\n>", 17),      wellKnown("<nil>", 18),  wellKnown("<String>", 19),
    wellKnown("<Extern>", 20), wellKnown("<System>", 21),  wellKnown("<0>", 22),    wellKnown("<1>", 23),
    wellKnown("<2>", 24),      wellKnown("<3>", 25),       wellKnown("<4>", 26),    wellKnown("<5>", 27),
    wellKnown("<6>", 28),      wellKnown("<7>", 29),       wellKnown("<8>", 30),    wellKnown("<9>", 31),
};
