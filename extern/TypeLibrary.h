// The type library of OrvexExtern: resource TYPELIB 1 of the executable, or the ".tlb" file of the
// same name beside it.
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <wrl/client.h>

#include <string>

class TypeLibrary {
  public:
    // Loads the library; S_OK or the loader's error for the ".tlb" file.
    HRESULT load();

    // Registers the loaded library, with the executable's directory as help directory.
    HRESULT registerLibrary();

    // Removes the registration of the loaded library. Uses UnRegisterTypeLib only when oleaut32
    // offers it, and otherwise leaves the registration in place.
    HRESULT unregisterLibrary();

    // The loaded library; null before a successful load.
    ITypeLib* library() const { return library_.Get(); }

  private:
    Microsoft::WRL::ComPtr<ITypeLib> library_;
    std::wstring path_; // the file the library was loaded from
};
