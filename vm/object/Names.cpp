// Number literals and the well-known names.
#include "vm/object/Names.h"

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

const Symbol& numberLiteral(std::int32_t n) {
    // Parameter objects ask for the same few keys at every call.
    static std::vector<const Symbol*> small;
    if (n < 0 || n >= 64) return intern(formatNumberLiteral(n));
    auto index = static_cast<std::size_t>(n);
    if (index >= small.size()) small.resize(index + 1, nullptr);
    if (!small[index]) small[index] = &intern(formatNumberLiteral(n));
    return *small[index];
}

namespace names {
const Symbol& nil = intern("nil");
const Symbol& string = intern("String");
const Symbol& externObject = intern("Extern");
const Symbol& system = intern("System");
const Symbol& trueName = intern("true");
const Symbol& falseName = intern("false");
const Symbol& params = intern("params");
const Symbol& sender = intern("sender");
const Symbol& mySelf = intern("mySelf");
const Symbol& returnName = intern("return");
const Symbol& id = intern("<id>");
const Symbol& super = intern("<super>");
const Symbol& objects = intern("<objects>");
const Symbol& twoPoints = intern("<:>");
const Symbol& synchronousCode = intern("<()>");
const Symbol& asynchronousCode = intern("<)(>");
const Symbol& newline = intern("<\n>");
const Symbol& none = intern("");
} // namespace names
