// The documented examples of the operation set.
#include "OperationExamples.h"

#include "Expect.h"

#include <cwchar>

const std::vector<OperationExample> operationExamples = {
    // Arithmetic: integers stay integers, a float on either side makes a float.
    {L"String", L"<+>", L"<2>", L"<3>", L"<5>"},
    {L"String", L"<+>", L"<2>", L"<0.5>", L"<2.5>"},
    {L"String", L"<+>", L"<1.5>", L"<1.5>", L"<3.0>"},
    {L"String", L"</>", L"<7>", L"<2>", L"<3>"},
    {L"String", L"</>", L"<-7>", L"<2>", L"<-3>"},
    {L"String", L"</>", L"<7.0>", L"<2>", L"<3.5>"},
    {L"String", L"<%>", L"<-7>", L"<2>", L"<-1>"},
    {L"String", L"<%>", L"<7.0>", L"<2>", L"nil"},
    {L"String", L"<+>", L"<>", L"<5>", L"<5>"},
    // Number texts: six significant digits, three exponent digits, ".0" on whole numbers that fit 32 bits.
    {L"String", L"<*>", L"<1000.0>", L"<1000>", L"<1e+006.0>"},
    {L"String", L"<+>", L"<1234567.0>", L"<0>", L"<1.23457e+006.0>"},
    {L"String", L"<*>", L"<100000.0>", L"<100000>", L"<1e+010>"},
    {L"String", L"<+>", L"<123456.5>", L"<0.0>", L"<123456>"},
    {L"String", L"<*>", L"<-0>", L"<2.5>", L"<0.0>"},
    {L"String", L"</>", L"<-1.5>", L"<-0>", L"<-inf>"},
    {L"String", L"<+>", L"<2147483648>", L"<0.0>", L"<2.14748e+009>"},
    // Concatenation and its operands.
    {L"String", L"<+>", L"<ab>", L"<cd>", L"<abcd>"},
    {L"String", L"<->", L"<ab>", L"<cd>", L"nil"},
    {L"String", L"<+>", L"<a>", L"<b>", L"<ab>"},
    {L"String", L"<+>", L"<1>", L"<x>", L"<1x>"},
    {L"String", L"<+>", L"<x>", L"<1>", L"<x1>"},
    {L"String", L"<+>", L"hello", L"<x>", L"<ellx>"},
    {L"String", L"<+>", L"<1e5>", L"<1>", L"<1e51>"},
    // Comparison: numeric when both sides are numbers, else byte-wise with the brackets.
    {L"String", L"<==>", L"<5>", L"<5.0>", L"true"},
    {L"String", L"<==>", L"<abc>", L"<abc>", L"true"},
    {L"String", L"<<>", L"<10>", L"<9>", L"false"},
    {L"String", L"<<>", L"<10>", L"<9x>", L"true"},
    {L"String", L"<<>", L"<ab!>", L"<ab>", L"true"},
    // Length and append want string literals.
    {L"String", L"<length>", L"<hello>", L"anything", L"<5>"},
    {L"String", L"<length>", L"hello", L"", L"nil"},
    {L"String", L"<append>", L"<a>", L"b", L"nil"},
    {L"String", L"<append>", L"<a>", L"<b>", L"<ab>"},
    // The <Math> interface reads the right operand.
    {L"<Math>", L"<random>", L"", L"<10>", L"10", true},
    {L"<Math>", L"<random>", L"", L"<0>", L"<0>"},
    {L"<Math>", L"<random>", L"", L"<1.5>", L"nil"},
    {L"<Math>", L"<trunc>", L"", L"<-2.7>", L"<-2>"},
    {L"<Math>", L"<trunc>", L"", L"<5>", L"<5>"},
    {L"<Math>", L"<trunc>", L"", L"<+007>", L"<7>"},
    {L"<Math>", L"<trunc>", L"<5>", L"", L"nil"},
    {L"<Math>", L"<round>", L"", L"<2.5>", L"nil"},
    // Interface and operation names are exact.
    {L"string", L"<+>", L"<1>", L"<2>", L"nil"},
    {L"Math", L"<random>", L"", L"<5>", L"nil"},
};

bool OperationExample::accepts(const std::wstring& got) const {
    if (!random) return got == answer;
    if (got.size() < 3 || got.front() != L'<' || got.back() != L'>') return false;
    std::wstring digits = got.substr(1, got.size() - 2);
    if (digits.empty() || digits.find_first_not_of(L"0123456789") != std::wstring::npos) return false;
    return std::wcstol(digits.c_str(), nullptr, 10) < std::wcstol(answer, nullptr, 10);
}

std::string OperationExample::describe() const {
    return "(" + narrow(interfaceName) + ", " + narrow(operationName) + ", " + narrow(left) + ", " +
           narrow(right) + ")";
}
