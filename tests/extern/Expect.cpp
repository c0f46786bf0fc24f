// Checks for the Wine test programs.
#include "Expect.h"

#include <cstdio>

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

bool Expect::that(bool holds, const std::string& what) {
    if (holds) return true;
    ++failures_;
    std::printf("FAIL %s\n", what.c_str());
    std::fflush(stdout);
    return false;
}

bool Expect::succeeded(HRESULT result, const std::string& what) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    that(SUCCEEDED(result), what + " returned " + code);
    return SUCCEEDED(result);
}

void Expect::equal(const std::wstring& got, const std::wstring& want, const std::string& what) {
    // Long texts are summarised: a megabyte of operand helps no one reading the log.
    auto shown = [](const std::wstring& text) {
        return text.size() <= 80
                   ? narrow(text)
                   : narrow(text.substr(0, 40)) + "... (" + std::to_string(text.size()) + " characters)";
    };
    that(got == want, what + ": got \"" + shown(got) + "\", want \"" + shown(want) + "\"");
}

int Expect::finish(const char* name) const {
    if (failures_ == 0)
        std::printf("%s PASSED\n", name);
    else
        std::printf("%s FAILED (%d)\n", name, failures_);
    std::fflush(stdout);
    return failures_;
}
