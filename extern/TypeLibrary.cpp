// The type library of OrvexExtern, loaded from the executable or the ".tlb" file beside it.
#include "extern/TypeLibrary.h"

#include "extern/ModulePath.h"

namespace {

std::wstring withTlbExtension(const std::wstring& path) {
    std::size_t dot = path.find_last_of(L'.');
    std::size_t separator = path.find_last_of(L"\\/");
    bool hasExtension = dot != std::wstring::npos && (separator == std::wstring::npos || dot > separator);
    return (hasExtension ? path.substr(0, dot) : path) + L".tlb";
}

using UnRegisterTypeLibFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

} // namespace

HRESULT TypeLibrary::load() {
    path_ = modulePath();
    library_.Reset();
    if (SUCCEEDED(LoadTypeLib(path_.c_str(), library_.ReleaseAndGetAddressOf()))) return S_OK;
    path_ = withTlbExtension(path_);
    return LoadTypeLib(path_.c_str(), library_.ReleaseAndGetAddressOf());
}

HRESULT TypeLibrary::registerLibrary() {
    if (!library_) return E_UNEXPECTED;
    std::wstring helpDirectory = moduleDirectory();
    return RegisterTypeLib(library_.Get(), path_.data(), helpDirectory.data());
}

HRESULT TypeLibrary::unregisterLibrary() {
    if (!library_) return E_UNEXPECTED;
    // Looked up at run time: systems whose oleaut32 lacks it just keep the registration.
    HMODULE oleaut = LoadLibraryW(L"oleaut32.dll");
    if (!oleaut) return S_OK;
    // The detour through a parameterless function pointer is the sanctioned way to convert FARPROC.
    auto unregister = reinterpret_cast<UnRegisterTypeLibFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(oleaut, "UnRegisterTypeLib")));
    HRESULT result = S_OK;
    TLIBATTR* attributes = nullptr;
    if (unregister && SUCCEEDED(result = library_->GetLibAttr(&attributes))) {
        result = unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                            attributes->lcid, attributes->syskind);
        library_->ReleaseTLibAttr(attributes);
    }
    FreeLibrary(oleaut);
    return result;
}
