// Number literals.
#include "vm/object/Names.h"

std::string formatDecimal(std::int32_t n) {
    return std::to_string(n);
}

std::string formatNumberLiteral(std::int32_t n) {
    return "<" + formatDecimal(n) + ">";
}
