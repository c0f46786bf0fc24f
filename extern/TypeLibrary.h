// The type library of OrvexExtern: resource TYPELIB 1 of the executable, or the ".tlb" file of the
// same name beside it; and the same library laid out for 32-bit programs, a file beside it too.
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <wrl/client.h>

#include <string>

class TypeLibrary {
  public:
    // Loads the library; S_OK or the loader's error for the ".tlb" file.
    HRESULT load();

    // Loads the 32-bit library, "<executable name>32.tlb", which 32-bit clients read and marshal
    // IExtern with: a 64-bit library describes vtable offsets and sizes they cannot use.
    HRESULT load32Bit();

    // Registers the loaded library, with the executable's directory as help directory.
    HRESULT registerLibrary();

    // Removes the registration of the loaded library's identifier and version for one system kind.
    // Uses UnRegisterTypeLib only when oleaut32 offers it, and otherwise leaves it in place.
    HRESULT unregisterLibrary(SYSKIND kind);

    // The loaded library; null before a successful load.
    ITypeLib* library() const { return library_.Get(); }

  private:
    Microsoft::WRL::ComPtr<ITypeLib> library_;
    std::wstring path_; // the file the library was loaded from
};
