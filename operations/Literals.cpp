// Classification of operands into string, integer and float literals, and their values.
#include "operations/Literals.h"

#include <cstdlib>
#include <string>

namespace operations {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skipSign(std::string_view text, std::size_t i) {
    return i < text.size() && (text[i] == '+' || text[i] == '-') ? i + 1 : i;
}

std::size_t skipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i;
}

bool isIntegerInner(std::string_view inner) {
    return skipDigits(inner, skipSign(inner, 0)) == inner.size();
}

// Sign, digits, '.', digits, then an exponent whose digits may all be missing, even after 'e'.
bool isFloatInner(std::string_view inner) {
    std::size_t i = skipDigits(inner, skipSign(inner, 0));
    if (i == inner.size() || inner[i] != '.') return false;
    i = skipDigits(inner, i + 1);
    if (i < inner.size() && (inner[i] == 'e' || inner[i] == 'E'))
        i = skipDigits(inner, skipSign(inner, i + 1));
    return i == inner.size();
}

} // namespace

bool isStringLiteral(std::string_view text) {
    return text.size() >= 2 && text.front() == '<' && text.back() == '>';
}

std::string_view innerText(std::string_view text) {
    return text.size() < 2 ? std::string_view() : text.substr(1, text.size() - 2);
}

std::string_view unquote(std::string_view text) {
    return isStringLiteral(text) ? innerText(text) : text;
}

NumberForm numberForm(std::string_view text) {
    if (!isStringLiteral(text)) return NumberForm::NotNumeric;
    std::string_view inner = innerText(text);
    if (isIntegerInner(inner)) return NumberForm::Integer;
    return isFloatInner(inner) ? NumberForm::Float : NumberForm::NotNumeric;
}

std::optional<std::int32_t> integerValue(std::string_view integerLiteral) {
    std::string_view inner = innerText(integerLiteral);
    bool negative = !inner.empty() && inner.front() == '-';
    // The magnitude is checked after every digit, so no run of digits, however long, can overflow it.
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (std::size_t i = skipSign(inner, 0); i < inner.size(); ++i) {
        magnitude = magnitude * 10 + (inner[i] - '0');
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

double floatValue(std::string_view numericLiteral) {
    if (numberForm(numericLiteral) == NumberForm::Integer)
        if (std::optional<std::int32_t> value = integerValue(numericLiteral)) return *value;
    // The literal's form admits only sign, digits, '.' and 'e', so strtod sees no hexadecimal, infinity
    // or not-a-number spelling; it stops at the longest decimal prefix. Neither program leaves the "C"
    // locale, so '.' is the decimal point.
    const std::string inner(innerText(numericLiteral));
    char* end = nullptr;
    double value = std::strtod(inner.c_str(), &end);
    return end == inner.c_str() ? 0.0 : value;
}

} // namespace operations
