// Comparison, append and length.
#include "operations/StringOperations.h"

#include "operations/Literals.h"
#include "operations/ResultText.h"

#include <cstdint>
#include <optional>

namespace operations {

namespace {

template <class Number> std::string_view compareValues(Comparison comparison, Number a, Number b) {
    return truthText(comparison == Comparison::Equal ? a == b : a < b);
}

} // namespace

std::string_view compare(Comparison comparison, std::string_view left, std::string_view right) {
    std::int32_t a, b;
    if (shortIntegerValue(left, a) && shortIntegerValue(right, b)) return compareValues(comparison, a, b);
    NumberForm leftForm = numberForm(left);
    NumberForm rightForm = numberForm(right);
    if (leftForm != NumberForm::NotNumeric && rightForm != NumberForm::NotNumeric) {
        // Every 32-bit integer is exact as a double, so two of them compare alike either way.
        if (leftForm == NumberForm::Integer && rightForm == NumberForm::Integer) {
            std::optional<std::int32_t> a = integerValue(left);
            std::optional<std::int32_t> b = integerValue(right);
            if (a && b) return compareValues(comparison, *a, *b);
        }
        return compareValues(comparison, floatValue(left), floatValue(right));
    }
    // char_traits<char> orders bytes as unsigned char, and a proper prefix sorts first.
    return truthText(comparison == Comparison::Equal ? left == right : left < right);
}

std::string_view append(std::string& scratch, std::string_view left, std::string_view right) {
    if (!isStringLiteral(left) || !isStringLiteral(right)) return nilResult;
    return joinedLiteral(scratch, left, right);
}

std::string length(std::string_view text) {
    if (!isStringLiteral(text)) return nilResult;
    return integerNumberText(static_cast<std::int64_t>(text.size() - 2));
}

} // namespace operations
