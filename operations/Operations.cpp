// applyOperation: the table of interfaces and operations, and the dispatch through it.
#include "operations/Operations.h"

#include "operations/Arithmetic.h"
#include "operations/MathOperations.h"
#include "operations/ResultText.h"
#include "operations/StringOperations.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

using namespace operations;

namespace {

// The answer: a constant, or written in scratch.
using Operation = std::string_view (*)(std::string& scratch, std::string_view left, std::string_view right);

// Every name of the set has eight bytes or fewer: a name is matched as its length and its bytes in
// one word, so finding an operation compares words, not texts.
struct Name {
    std::uint64_t word = 0;
    std::size_t size;
    constexpr explicit Name(std::string_view text) : size(text.size()) {
        if (!std::is_constant_evaluated() && std::endian::native == std::endian::little && size >= 3 &&
            size <= sizeof word) {
            // At run time, two overlapping reads (or three bytes) instead of a loop: the bytes read
            // twice are the same.
            const char* p = text.data();
            if (size >= 4) {
                std::uint32_t low, high;
                std::memcpy(&low, p, sizeof low);
                std::memcpy(&high, p + size - 4, sizeof high);
                word = low | std::uint64_t{high} << (8 * (size - 4));
            } else {
                word = byte(p, 0) | byte(p, 1) | byte(p, 2);
            }
            return;
        }
        for (std::size_t i = 0; i < text.size() && i < sizeof word; ++i)
            word |= byte(text.data(), i);
    }
    static constexpr std::uint64_t byte(const char* p, std::size_t i) {
        return std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    }
    // A name longer than a word is none of the set's.
    bool operator==(const Name& other) const {
        return word == other.word && size == other.size && size <= sizeof word;
    }
};

struct OperationEntry {
    Name interfaceName;
    Name operationName;
    Operation apply;
};

constexpr std::string_view stringInterface = "String";

// Every operation of the set, once. Names are matched whole and case-sensitively.
constexpr OperationEntry operationTable[] = {
    {Name(stringInterface), Name("<==>"),
     [](std::string&, std::string_view l, std::string_view r) { return compare(Comparison::Equal, l, r); }},
    {Name(stringInterface), Name("<<>"),
     [](std::string&, std::string_view l, std::string_view r) { return compare(Comparison::Less, l, r); }},
    {Name(stringInterface), Name("<+>"),
     [](std::string& s, std::string_view l, std::string_view r) {
         return arithmetic(s, ArithmeticOperator::Add, l, r);
     }},
    {Name(stringInterface), Name("<->"),
     [](std::string& s, std::string_view l, std::string_view r) {
         return arithmetic(s, ArithmeticOperator::Subtract, l, r);
     }},
    {Name(stringInterface), Name("<*>"),
     [](std::string& s, std::string_view l, std::string_view r) {
         return arithmetic(s, ArithmeticOperator::Multiply, l, r);
     }},
    {Name(stringInterface), Name("</>"),
     [](std::string& s, std::string_view l, std::string_view r) {
         return arithmetic(s, ArithmeticOperator::Divide, l, r);
     }},
    {Name(stringInterface), Name("<%>"),
     [](std::string& s, std::string_view l, std::string_view r) {
         return arithmetic(s, ArithmeticOperator::Remainder, l, r);
     }},
    {Name(stringInterface), Name("<append>"),
     [](std::string& s, std::string_view l, std::string_view r) { return append(s, l, r); }},
    {Name(stringInterface), Name("<length>"),
     [](std::string& s, std::string_view l, std::string_view) -> std::string_view { return s = length(l); }},
    {Name("<Math>"), Name("<random>"),
     [](std::string& s, std::string_view, std::string_view r) -> std::string_view {
         return s = randomNumber(r);
     }},
    {Name("<Math>"), Name("<round>"),
     [](std::string& s, std::string_view, std::string_view r) -> std::string_view {
         return s = roundNumber(r);
     }},
    {Name("<Math>"), Name("<trunc>"),
     [](std::string& s, std::string_view, std::string_view r) -> std::string_view {
         return s = truncateNumber(r);
     }},
};

// OrvexVM's copy of the set knows only the "String" interface.
bool knowsInterface(Interfaces interfaces, std::string_view interfaceName) {
    return interfaces == Interfaces::All || interfaceName == stringInterface;
}

} // namespace

namespace {

const OperationEntry* findOperation(std::string_view interfaceName, std::string_view operationName,
                                    Interfaces interfaces) {
    if (!knowsInterface(interfaces, interfaceName)) return nullptr;
    const Name interface(interfaceName), operation(operationName);
    for (const OperationEntry& entry : operationTable)
        if (entry.operationName == operation && entry.interfaceName == interface) return &entry;
    return nullptr;
}

} // namespace

std::string_view applyOperation(std::string& scratch, std::string_view interfaceName,
                                std::string_view operationName, std::string_view left, std::string_view right,
                                Interfaces interfaces) {
    const OperationEntry* entry = findOperation(interfaceName, operationName, interfaces);
    return entry ? entry->apply(scratch, left, right) : nilResult;
}

std::string applyOperation(std::string_view interfaceName, std::string_view operationName,
                           std::string_view left, std::string_view right, Interfaces interfaces) {
    std::string scratch;
    return std::string(applyOperation(scratch, interfaceName, operationName, left, right, interfaces));
}

[[gnu::cold]] bool knowsOperation(std::string_view interfaceName, std::string_view operationName,
                                  Interfaces interfaces) {
    return findOperation(interfaceName, operationName, interfaces) != nullptr;
}
