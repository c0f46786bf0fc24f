// The class object of Extern, registered with COM for the life of the server.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include "extern/ServerLock.h"

class ClassFactory final : public IClassFactory {
  public:
    explicit ClassFactory(ServerLock& serverLock) : serverLock_(serverLock) {}

    // The class object lives as long as the server module that owns it; COM's references to it
    // are not counted.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // Makes an Extern object. Aggregation is possible only when the outer object asks for IUnknown.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;

    // A client lock keeps the server alive like a live object.
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  private:
    ServerLock& serverLock_;
};
