// Comparison, append and length.
#include "operations/StringOperations.h"

#include "operations/Literals.h"
#include "operations/ResultText.h"

namespace operations {

namespace {

bool isNumeric(std::string_view text) {
    return numberForm(text) != NumberForm::NotNumeric;
}

} // namespace

std::string compare(Comparison comparison, std::string_view left, std::string_view right) {
    if (isNumeric(left) && isNumeric(right)) {
        double a = floatValue(left);
        double b = floatValue(right);
        return truthText(comparison == Comparison::Equal ? a == b : a < b);
    }
    // char_traits<char> orders bytes as unsigned char, and a proper prefix sorts first.
    return truthText(comparison == Comparison::Equal ? left == right : left < right);
}

std::string append(std::string_view left, std::string_view right) {
    if (!isStringLiteral(left) || !isStringLiteral(right)) return nilResult;
    return joinedLiteral(left, right);
}

std::string length(std::string_view text) {
    if (!isStringLiteral(text)) return nilResult;
    return integerNumberText(static_cast<std::int64_t>(text.size() - 2));
}

} // namespace operations
