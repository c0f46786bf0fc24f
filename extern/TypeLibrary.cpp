// The type library of OrvexExtern, loaded from the executable or the ".tlb" file beside it.
#include "extern/TypeLibrary.h"

#include "extern/ModulePath.h"

namespace {

// The path with its extension replaced by suffix and ".tlb".
std::wstring tlbPath(const std::wstring& path, const wchar_t* suffix) {
    std::size_t dot = path.find_last_of(L'.');
    std::size_t separator = path.find_last_of(L"\\/");
    bool hasExtension = dot != std::wstring::npos && (separator == std::wstring::npos || dot > separator);
    return (hasExtension ? path.substr(0, dot) : path) + suffix + L".tlb";
}

using UnRegisterTypeLibFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

} // namespace

HRESULT TypeLibrary::load() {
    path_ = modulePath();
    library_.Reset();
    if (SUCCEEDED(LoadTypeLib(path_.c_str(), library_.ReleaseAndGetAddressOf()))) return S_OK;
    path_ = tlbPath(path_, L"");
    return LoadTypeLib(path_.c_str(), library_.ReleaseAndGetAddressOf());
}

HRESULT TypeLibrary::load32Bit() {
    path_ = tlbPath(modulePath(), L"32");
    return LoadTypeLibEx(path_.c_str(), REGKIND_NONE, library_.ReleaseAndGetAddressOf());
}

HRESULT TypeLibrary::registerLibrary() {
    if (!library_) return E_UNEXPECTED;
    std::wstring helpDirectory = moduleDirectory();
    return RegisterTypeLib(library_.Get(), path_.data(), helpDirectory.data());
}

HRESULT TypeLibrary::unregisterLibrary(SYSKIND kind) {
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
                            attributes->lcid, kind);
        library_->ReleaseTLibAttr(attributes);
    }
    FreeLibrary(oleaut);
    return result;
}
