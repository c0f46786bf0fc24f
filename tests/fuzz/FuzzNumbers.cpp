// libFuzzer entry: the number texts of the operation set, both ways. The first eight bytes are a
// double and an integer to write; the whole input is a text to read as a literal. Each is held
// against an independent reading: the C library's "%.6g" and "%lld", and a plain digit count for
// the 32-bit range, so that a formatting or range fault shows as a wrong answer, not only a crash.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "operations/Literals.h"
#include "operations/ResultText.h"

namespace {

void fail(const char* what, std::string_view expected, std::string_view actual) {
    std::fprintf(stderr, "%s: expected %.*s, got %.*s\n", what, static_cast<int>(expected.size()),
                 expected.data(), static_cast<int>(actual.size()), actual.data());
    std::abort();
}

// "%.6g" with the exponent widened to three digits and ".0" after a whole number in the 32-bit range.
std::string expectedDoubleText(double value) {
    if (std::isnan(value)) return "<nan>";
    if (std::isinf(value)) return value < 0 ? "<-inf>" : "<inf>";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    std::string text = buffer;
    const std::size_t e = text.find('e');
    if (e != std::string::npos && text.size() - (e + 2) < 3) text.insert(e + 2, 3 - (text.size() - (e + 2)), '0');
    if (value == std::trunc(value) && value >= -2147483648.0 && value <= 2147483647.0) text += ".0";
    return "<" + text + ">";
}

void checkDoubleText(double value) {
    const std::string text = operations::doubleNumberText(value);
    const std::string expected = expectedDoubleText(value);
    if (text != expected) fail("double text", expected, text);
    // Six significant digits read back within half a unit of the sixth digit (subnormals apart).
    if (std::isfinite(value) && operations::numberForm(text) != operations::NumberForm::NotNumeric) {
        const double back = operations::floatValue(text);
        if (std::fabs(back - value) > 5.0000001e-6 * std::fabs(value) + 1e-300)
            fail("double text read back", expected, std::to_string(back));
    }
}

void checkIntegerText(std::int64_t value) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "<%lld>", static_cast<long long>(value));
    const std::string text = operations::integerNumberText(value);
    if (text != expected) fail("integer text", expected, text);
}

// An integer literal's value when it fits in 32 bits: digits counted, leading zeros apart.
std::optional<std::int32_t> expectedIntegerValue(std::string_view inner) {
    bool negative = false;
    if (!inner.empty() && (inner.front() == '-' || inner.front() == '+')) {
        negative = inner.front() == '-';
        inner.remove_prefix(1);
    }
    while (!inner.empty() && inner.front() == '0')
        inner.remove_prefix(1);
    if (inner.size() > 10) return std::nullopt;
    const std::int64_t magnitude = inner.empty() ? 0 : std::stoll(std::string(inner));
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

void checkLiteral(std::string_view text) {
    using namespace operations;
    if (numberForm(text) != NumberForm::Integer) return;
    const std::optional<std::int32_t> expected = expectedIntegerValue(innerText(text));
    const std::optional<std::int32_t> value = integerValue(text);
    if (expected != value)
        fail("integer literal", expected ? std::to_string(*expected) : "none",
             value ? std::to_string(*value) : "none");
    if (value && floatValue(text) != *value) fail("integer literal as a double", text, std::to_string(floatValue(text)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 8) {
        double real;
        std::int64_t integer;
        std::memcpy(&real, data, 8);
        std::memcpy(&integer, data, 8);
        checkDoubleText(real);
        checkIntegerText(integer);
    }
    checkLiteral(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
