// The class object of Extern.
#include "extern/ClassFactory.h"

#include "extern/Extern.h"

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    // An aggregated object is reached only through the outer one, which must hold its own unknown.
    if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return Extern::create(outer, serverLock_, iid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    if (lock)
        serverLock_.lock();
    else
        serverLock_.unlock();
    return S_OK;
}
