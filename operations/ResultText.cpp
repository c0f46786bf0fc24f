// Number texts and result words.
#include "operations/ResultText.h"

#include "operations/Literals.h"

#include <charconv>
#include <cmath>

namespace operations {

namespace {

// Exponents are written with at least three digits on every platform, so results do not depend on the
// C library the program was built with.
void widenExponent(std::string& text) {
    std::size_t e = text.find('e');
    if (e == std::string::npos) return;
    std::size_t digitsStart = e + 2; // past 'e' and the exponent's sign
    std::size_t digitCount = text.size() - digitsStart;
    if (digitCount < 3) text.insert(digitsStart, 3 - digitCount, '0');
}

// What printf's "%g" writes, without its dependence on the locale.
std::string generalNotation(double value) {
    char buffer[32];
    std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    std::string text(buffer, written.ptr);
    widenExponent(text);
    return text;
}

bool isWholeInt32(double value) {
    return value == std::trunc(value) && value >= -2147483648.0 && value <= 2147483647.0;
}

} // namespace

std::string_view truthText(bool value) {
    return value ? "true" : "false";
}

std::string_view integerNumberText(std::string& scratch, std::int64_t value) {
    char buffer[24];
    buffer[0] = '<';
    char* end = std::to_chars(buffer + 1, buffer + sizeof buffer - 1, value).ptr;
    *end++ = '>';
    return scratch.assign(buffer, end);
}

std::string integerNumberText(std::int64_t value) {
    std::string text;
    integerNumberText(text, value);
    return text;
}

std::string doubleNumberText(double value) {
    if (std::isnan(value)) return "<nan>";
    if (std::isinf(value)) return value < 0 ? "<-inf>" : "<inf>";
    std::string text = "<" + generalNotation(value);
    if (isWholeInt32(value)) text += ".0";
    return text + ">";
}

std::string_view joinedLiteral(std::string& scratch, std::string_view left, std::string_view right) {
    const std::string_view first = innerText(left), second = innerText(right);
    scratch.clear();
    scratch.reserve(first.size() + second.size() + 2);
    scratch += '<';
    scratch += first;
    scratch += second;
    return scratch += '>';
}

} // namespace operations
