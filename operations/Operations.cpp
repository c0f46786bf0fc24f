// applyOperation: the table of interfaces and operations, and the dispatch through it.
#include "operations/Operations.h"

#include "operations/Arithmetic.h"
#include "operations/MathOperations.h"
#include "operations/ResultText.h"
#include "operations/StringOperations.h"

using namespace operations;

namespace {

using Operation = std::string (*)(std::string_view left, std::string_view right);

struct OperationEntry {
    std::string_view interfaceName;
    std::string_view operationName;
    Operation apply;
};

constexpr std::string_view stringInterface = "String";

// Every operation of the set, once. Names are matched whole and case-sensitively.
constexpr OperationEntry operationTable[] = {
    {stringInterface, "<==>",
     [](std::string_view l, std::string_view r) { return compare(Comparison::Equal, l, r); }},
    {stringInterface, "<<>",
     [](std::string_view l, std::string_view r) { return compare(Comparison::Less, l, r); }},
    {stringInterface, "<+>",
     [](std::string_view l, std::string_view r) { return arithmetic(ArithmeticOperator::Add, l, r); }},
    {stringInterface, "<->",
     [](std::string_view l, std::string_view r) { return arithmetic(ArithmeticOperator::Subtract, l, r); }},
    {stringInterface, "<*>",
     [](std::string_view l, std::string_view r) { return arithmetic(ArithmeticOperator::Multiply, l, r); }},
    {stringInterface, "</>",
     [](std::string_view l, std::string_view r) { return arithmetic(ArithmeticOperator::Divide, l, r); }},
    {stringInterface, "<%>",
     [](std::string_view l, std::string_view r) { return arithmetic(ArithmeticOperator::Remainder, l, r); }},
    {stringInterface, "<append>", [](std::string_view l, std::string_view r) { return append(l, r); }},
    {stringInterface, "<length>", [](std::string_view l, std::string_view) { return length(l); }},
    {"<Math>", "<random>", [](std::string_view, std::string_view r) { return randomNumber(r); }},
    {"<Math>", "<round>", [](std::string_view, std::string_view r) { return roundNumber(r); }},
    {"<Math>", "<trunc>", [](std::string_view, std::string_view r) { return truncateNumber(r); }},
};

// OrvexVM's copy of the set knows only the "String" interface.
bool knowsInterface(Interfaces interfaces, std::string_view interfaceName) {
    return interfaces == Interfaces::All || interfaceName == stringInterface;
}

} // namespace

std::string applyOperation(std::string_view interfaceName, std::string_view operationName,
                           std::string_view left, std::string_view right, Interfaces interfaces) {
    if (!knowsInterface(interfaces, interfaceName)) return nilResult;
    for (const OperationEntry& entry : operationTable)
        if (entry.interfaceName == interfaceName && entry.operationName == operationName)
            return entry.apply(left, right);
    return nilResult;
}

[[gnu::cold]] bool knowsOperation(std::string_view interfaceName, std::string_view operationName,
                                  Interfaces interfaces) {
    if (!knowsInterface(interfaces, interfaceName)) return false;
    for (const OperationEntry& entry : operationTable)
        if (entry.interfaceName == interfaceName && entry.operationName == operationName) return true;
    return false;
}
