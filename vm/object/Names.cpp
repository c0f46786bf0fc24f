// Number literals.
#include "vm/object/Names.h"

#include <charconv>

std::string formatDecimal(std::int32_t n) { return std::to_string(n); }

std::string formatNumberLiteral(std::int32_t n) {
    char buffer[16] = {'<'};
    char* end = std::to_chars(buffer + 1, buffer + sizeof buffer - 1, n).ptr;
    *end++ = '>';
    return std::string(buffer, end);
}
