// The documented examples of the operation set, each run through COM by the test clients.
#pragma once

#include <string>
#include <vector>

struct OperationExample {
    const wchar_t* interfaceName;
    const wchar_t* operationName;
    const wchar_t* left;
    const wchar_t* right;
    const wchar_t* answer; // the answer, or for <random> the bound: any <k> with 0 <= k < bound
    bool random = false;

    bool accepts(const std::wstring& got) const;
    std::string describe() const;
};

extern const std::vector<OperationExample> operationExamples;
