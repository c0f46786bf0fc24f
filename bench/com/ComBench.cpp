// One client of the COM benchmark: ComBench extern|trivial|trivial4 CALLS. Activates the server's class,
// makes ten calls to warm up, then times CALLS calls through the vtable and prints
// "CALLS SECONDS". OrvexExtern is asked for a sum, the trivial server to return a short text (trivial4: through
// the method that takes as many texts as IExtern::invoke).
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>

#include "OrvexExtern.h"
#include "Trivial.h"

namespace {

// Activates a class and returns its interface, or null after printing why.
template <typename Interface> Interface* activate(const CLSID& classId, const IID& iid) {
    Interface* object = nullptr;
    HRESULT result =
        CoCreateInstance(classId, nullptr, CLSCTX_LOCAL_SERVER, iid, reinterpret_cast<void**>(&object));
    if (FAILED(result)) std::printf("activation failed: 0x%08lx\n", static_cast<unsigned long>(result));
    return object;
}

// Times calls of one call; false at the first failure.
bool timeCalls(int calls, const std::function<HRESULT()>& call) {
    for (int i = 0; i < 10; ++i)
        if (FAILED(call())) return false;
    auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        if (FAILED(call())) return false;
    std::printf("%d %.4f\n", calls,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    return true;
}

int run(const wchar_t* server, int calls) {
    BSTR text = SysAllocString(L"<1>"), plus = SysAllocString(L"<+>"),
         interfaceName = SysAllocString(L"String");
    bool timed = false;
    if (std::wcscmp(server, L"extern") == 0) {
        if (IExtern* object = activate<IExtern>(CLSID_Extern, IID_IExtern)) {
            timed = timeCalls(calls, [&] {
                BSTR result = nullptr;
                HRESULT status = object->invoke(interfaceName, plus, text, text, &result);
                SysFreeString(result);
                return status;
            });
            object->Release();
        }
    } else if (ITrivial* object = activate<ITrivial>(CLSID_Trivial, IID_ITrivial)) {
        bool four = std::wcscmp(server, L"trivial4") == 0;
        timed = timeCalls(calls, [&] {
            BSTR result = nullptr;
            HRESULT status = four ? object->echoThird(interfaceName, plus, text, text, &result)
                                  : object->echo(text, &result);
            SysFreeString(result);
            return status;
        });
        object->Release();
    }
    SysFreeString(text);
    SysFreeString(plus);
    SysFreeString(interfaceName);
    return timed ? 0 : 1;
}

} // namespace

int wmain(int argumentCount, wchar_t** arguments) {
    if (argumentCount != 3) {
        std::printf("usage: ComBench extern|trivial|trivial4 CALLS\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = run(arguments[1], static_cast<int>(std::wcstol(arguments[2], nullptr, 10)));
    CoUninitialize();
    return result;
}
