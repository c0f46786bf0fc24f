// A COM local server with methods that return an argument, and nothing else: no security
// settings, no shutdown delay, no conversions. What its clients get is what COM under this system
// allows at all, the floor that OrvexExtern's calls per second are read against (bench/com/run.sh).
//   TrivialServer -RegServer | -UnregServer | -Embedding
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <string>

#include "Trivial.h"

namespace {

long objects = 0;
DWORD mainThread = 0;
ITypeInfo* dispatchInfo = nullptr; // ITrivial as clients see it
ITypeInfo* typeInfo = nullptr;     // its vtable view, which DispInvoke calls through

// The server ends with its last object or client lock.
void release() {
    if (InterlockedDecrement(&objects) == 0) PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
}

class Trivial final : public ITrivial {
  public:
    Trivial() { InterlockedIncrement(&objects); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
            !IsEqualIID(iid, IID_ITrivial)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
            release();
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        dispatchInfo->AddRef();
        *info = dispatchInfo;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return DispGetIDsOfNames(typeInfo, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override {
        return DispInvoke(this, typeInfo, id, flags, parameters, result, exception, badArgument);
    }
    HRESULT STDMETHODCALLTYPE echo(BSTR text, BSTR* result) override {
        *result = SysAllocStringLen(text, SysStringLen(text));
        return *result || !text ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE echoThird(BSTR, BSTR, BSTR third, BSTR, BSTR* result) override {
        return echo(third, result);
    }

  private:
    long references_ = 1;
};

class Factory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* created = new Trivial;
        HRESULT result = created->QueryInterface(iid, object);
        created->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            InterlockedIncrement(&objects);
        else
            release();
        return S_OK;
    }
};

std::wstring modulePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring guidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

LONG setDefault(const std::wstring& key, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

int registerServer(ITypeLib* library) {
    std::wstring path = modulePath(), classKey = L"CLSID\\" + guidText(CLSID_Trivial);
    if (setDefault(classKey + L"\\LocalServer32", path) ||
        setDefault(L"Orvex.Trivial\\CLSID", guidText(CLSID_Trivial)))
        return 1;
    return FAILED(RegisterTypeLib(library, path.data(), nullptr));
}

int unregisterServer() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + guidText(CLSID_Trivial)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Orvex.Trivial");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + guidText(CLSID_Trivial)).c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Orvex.Trivial");
    UnRegisterTypeLib(LIBID_TrivialLibrary, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    return 0;
}

int serve() {
    Factory factory;
    DWORD cookie = 0;
    mainThread = GetCurrentThreadId();
    if (FAILED(
            CoRegisterClassObject(CLSID_Trivial, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie)))
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    CoRevokeClassObject(cookie);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ITypeLib* library = nullptr;
    HREFTYPE vtable = 0;
    int result = 1;
    if (SUCCEEDED(LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, &library)) &&
        SUCCEEDED(library->GetTypeInfoOfGuid(IID_ITrivial, &dispatchInfo)) &&
        SUCCEEDED(dispatchInfo->GetRefTypeOfImplType(-1, &vtable)) &&
        SUCCEEDED(dispatchInfo->GetRefTypeInfo(vtable, &typeInfo))) {
        const wchar_t* line = GetCommandLineW();
        if (wcsstr(line, L"-RegServer"))
            result = registerServer(library);
        else if (wcsstr(line, L"-UnregServer"))
            result = unregisterServer();
        else
            result = serve();
    }
    CoUninitialize();
    return result;
}
