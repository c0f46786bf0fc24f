// libFuzzer entry: applyOperation on arbitrary texts. The input is four bytes of clock (the seed of
// <random>), then the interface, operation, left and right texts separated by NUL bytes; the right
// operand takes the rest, and missing texts are empty.
//
// Beyond not crashing, every answer must be one the operation set can give (a result word or a
// string literal), both programs' copies of the set must agree on "String", and <random> must stay
// within its bound.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "operations/Literals.h"
#include "operations/Operations.h"

namespace {

std::uint32_t clockSeconds = 0;

std::uint32_t fuzzClock() {
    return clockSeconds;
}

void fail(const char* what, std::string_view result) {
    std::fprintf(stderr, "%s: %.*s\n", what, static_cast<int>(result.size()), result.data());
    std::abort();
}

// The next NUL-terminated field, or the rest of the text for the last one.
std::string_view takeField(std::string_view& rest, bool last) {
    std::size_t end = last ? std::string_view::npos : rest.find('\0');
    std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return field;
}

bool isResultWord(std::string_view result) {
    return result == "nil" || result == "true" || result == "false";
}

void checkRandomBound(std::string_view bound, std::string_view result) {
    using namespace operations;
    if (numberForm(bound) != NumberForm::Integer) return;
    std::optional<std::int32_t> n = integerValue(bound);
    if (!n || numberForm(result) != NumberForm::Integer) return;
    const std::int64_t limit = *n < 0 ? -std::int64_t{*n} : std::int64_t{*n};
    const std::optional<std::int32_t> value = integerValue(result);
    if (!value || *value < 0 || (limit > 0 && *value >= limit) || (limit == 0 && *value != 0))
        fail("<random> out of its bound", result);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    clockSeconds = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 | std::uint32_t{data[2]} << 16 |
                   std::uint32_t{data[3]} << 24;
    setOperationClock(fuzzClock);
    std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    const std::string_view interfaceName = takeField(rest, false);
    const std::string_view operationName = takeField(rest, false);
    const std::string_view left = takeField(rest, false);
    const std::string_view right = takeField(rest, true);

    const std::string all = applyOperation(interfaceName, operationName, left, right, Interfaces::All);
    const std::string stringOnly =
        applyOperation(interfaceName, operationName, left, right, Interfaces::StringOnly);
    if (!isResultWord(all) && !operations::isStringLiteral(all)) fail("not a result", all);
    if (interfaceName == "String" ? stringOnly != all : stringOnly != "nil")
        fail("OrvexVM's operation set answers otherwise", stringOnly);
    if (applyOperation(interfaceName, operationName, left, right, Interfaces::All) != all)
        fail("a second call answers otherwise", all);
    if (interfaceName == "<Math>" && operationName == "<random>") checkRandomBound(right, all);
    return 0;
}
