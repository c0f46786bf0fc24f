// Conversions between the UTF-16 strings of COM and the 8-bit texts of the operation set.
#include "extern/AnsiText.h"

#include <climits>
#include <cwchar>
#include <new>

std::string ansiFromBstr(BSTR value) {
    if (!value) return {};
    // A BSTR may hold null characters; a client passing one means the text ends there.
    std::size_t length = wcsnlen(value, SysStringLen(value));
    if (length == 0) return {};
    if (length > INT_MAX) throw std::bad_alloc();
    int wide = static_cast<int>(length);
    int size = WideCharToMultiByte(CP_ACP, 0, value, wide, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, value, wide, text.data(), size, nullptr, nullptr);
    return text;
}

BSTR bstrFromAnsi(std::string_view text) {
    if (text.size() > INT_MAX) return nullptr;
    int narrow = static_cast<int>(text.size());
    int size = narrow == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), narrow, nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(size));
    if (result && size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), narrow, result, size);
    return result;
}
