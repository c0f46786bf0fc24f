// The COM class Extern: IExtern::invoke applies the operation set to texts, reached through the
// vtable or through IDispatch.
#pragma once

#include <windows.h>

#include <atomic>

#include "OrvexExtern.h"
#include "extern/ServerLock.h"

class Extern final : public IExtern {
  public:
    // Makes an object and asks it for interface iid. With an outer unknown the object is
    // aggregated, and iid must be IUnknown (the class object checks this).
    static HRESULT create(IUnknown* outer, ServerLock& serverLock, REFIID iid, void** object);

    // Loads, once per process, the type information behind IDispatch, so that a server can have it
    // before it takes clients; its status.
    static HRESULT loadTypeInfo();

    Extern(const Extern&) = delete;
    Extern& operator=(const Extern&) = delete;

    // IUnknown: delegates to the controlling unknown, the outer object's when aggregated.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch, from the type library: IExtern's one member is "invoke", dispatch id 1.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

    // IExtern: converts the four texts to the ANSI code page, applies the operation and returns
    // the answer as a new BSTR. Every answer, "nil" included, is S_OK; E_OUTOFMEMORY when a
    // conversion or the answer cannot be allocated.
    HRESULT STDMETHODCALLTYPE invoke(BSTR interfaceName, BSTR operationName, BSTR left, BSTR right,
                                     BSTR* result) override;

  private:
    // The object's own IUnknown, which owns its lifetime; the only one that does not delegate.
    class OwnUnknown final : public IUnknown {
      public:
        explicit OwnUnknown(Extern& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

      private:
        Extern& owner_;
    };

    Extern(IUnknown* outer, ServerLock& serverLock);
    ~Extern();

    OwnUnknown own_{*this};
    IUnknown* controlling_; // the outer object, or own_
    ServerLock& serverLock_;
    std::atomic<ULONG> references_{1};
};
