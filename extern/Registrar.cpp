// Applies the executable's "REGISTRY" scripts through the system's registrar component.
#include "extern/Registrar.h"

#include <objbase.h>
#include <wrl/client.h>

#include <string>

#include "extern/ModulePath.h"

// The registrar component ships with the system but its interface is in no SDK header. It stays out
// of the anonymous namespace: there, with no implementation in sight, the compiler would take every
// call through it for a pure virtual call.
const CLSID registrarClassId = {0x44EC053A, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};
const IID registrarInterfaceId = {
    0x44EC053B, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};

struct IRegistrar : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddReplacement(LPCOLESTR key, LPCOLESTR item) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearReplacements() = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegisterSz(LPCOLESTR resourceFile, LPCOLESTR id,
                                                         LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregisterSz(LPCOLESTR resourceFile, LPCOLESTR id,
                                                           LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileRegister(LPCOLESTR fileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileUnregister(LPCOLESTR fileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringRegister(LPCOLESTR data) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringUnregister(LPCOLESTR data) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegister(LPCOLESTR resourceFile, UINT id, LPCOLESTR type) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregister(LPCOLESTR resourceFile, UINT id, LPCOLESTR type) = 0;

  protected:
    ~IRegistrar() = default;
};

namespace {

// The executable's path as the scripts spell it: the short form, which has no spaces, when the
// file system offers one, and every single quote doubled because the scripts quote with them.
std::wstring moduleReplacement(const std::wstring& path) {
    std::wstring shortPath(path.size() + 1, L'\0');
    DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    std::wstring chosen = length > 0 && length < shortPath.size() ? shortPath.substr(0, length) : path;
    std::wstring quoted;
    for (wchar_t c : chosen) {
        quoted += c;
        if (c == L'\'') quoted += L'\'';
    }
    return quoted;
}

} // namespace

HRESULT Registrar::runScript(UINT scriptId, bool registering) {
    Microsoft::WRL::ComPtr<IRegistrar> registrar;
    HRESULT result = CoCreateInstance(registrarClassId, nullptr, CLSCTX_INPROC_SERVER, registrarInterfaceId,
                                      reinterpret_cast<void**>(registrar.GetAddressOf()));
    if (FAILED(result)) return result;
    std::wstring path = modulePath();
    result = registrar->AddReplacement(L"Module", moduleReplacement(path).c_str());
    if (FAILED(result)) return result;
    return registering ? registrar->ResourceRegister(path.c_str(), scriptId, L"REGISTRY")
                       : registrar->ResourceUnregister(path.c_str(), scriptId, L"REGISTRY");
}
