// Calls OrvexExtern from C++ through its vtable (early binding), with the header installed in
// the include folder beside the type library. Build it with either of:
//     cl /EHsc /I "C:\Program Files\Orvex\include" client.cpp ole32.lib oleaut32.lib
//     x86_64-w64-mingw32-g++ -I<Orvex folder>/include client.cpp -o client.exe -lole32 -loleaut32 -luuid
// or, for a 32-bit client of the same server, i686-w64-mingw32-g++ with the same arguments.
#include <windows.h>

#include <cstdio>

#include "OrvexExtern.h"

namespace {

struct Call {
    const char* label;
    const wchar_t* interfaceName;
    const wchar_t* operation;
    const wchar_t* left;
    const wchar_t* right;
};

const Call calls[] = {
    {"2 + 3", L"String", L"<+>", L"<2>", L"<3>"},
    {"7.0 / 2", L"String", L"</>", L"<7.0>", L"<2>"},
    {"ab + cd", L"String", L"<+>", L"<ab>", L"<cd>"},
    {"length of hello", L"String", L"<length>", L"<hello>", L""},
    {"trunc of -2.7", L"<Math>", L"<trunc>", L"", L"<-2.7>"},
    {"random below 10", L"<Math>", L"<random>", L"", L"<10>"},
};

// One call: the arguments are BSTRs the caller owns, the answer a BSTR the caller frees.
HRESULT callAndPrint(IExtern* ext, const Call& call) {
    BSTR interfaceName = SysAllocString(call.interfaceName);
    BSTR operation = SysAllocString(call.operation);
    BSTR left = SysAllocString(call.left);
    BSTR right = SysAllocString(call.right);
    BSTR result = nullptr;
    HRESULT hr = ext->invoke(interfaceName, operation, left, right, &result);
    if (SUCCEEDED(hr)) std::printf("%s: %ls\n", call.label, result);
    SysFreeString(result);
    SysFreeString(right);
    SysFreeString(left);
    SysFreeString(operation);
    SysFreeString(interfaceName);
    return hr;
}

} // namespace

int main() {
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) return 1;
    IExtern* ext = nullptr;
    // The identifiers come from the header's declarations, so no other file is needed.
    hr = CoCreateInstance(__uuidof(Extern), nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IExtern),
                          reinterpret_cast<void**>(&ext));
    if (FAILED(hr)) {
        std::fprintf(stderr, "Orvex.Extern could not be created (error 0x%08lx): is it registered?\n",
                     static_cast<unsigned long>(hr));
    } else {
        for (const Call& call : calls) {
            hr = callAndPrint(ext, call);
            if (FAILED(hr)) {
                std::fprintf(stderr, "invoke failed (error 0x%08lx)\n", static_cast<unsigned long>(hr));
                break;
            }
        }
        ext->Release();
    }
    CoUninitialize();
    return FAILED(hr) ? 1 : 0;
}
