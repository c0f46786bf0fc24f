// The COM class Extern.
#include "extern/Extern.h"

#include <new>
#include <string>

#include "extern/AnsiText.h"
#include "extern/TypeLibrary.h"
#include "operations/Operations.h"

namespace {

// IExtern's type information: the dispatch view, handed to clients, and the vtable view, which
// DispInvoke calls through (the dispatch view of a dual interface would call back into Invoke).
struct ExternTypeInfo {
    Microsoft::WRL::ComPtr<ITypeInfo> dispatchView;
    Microsoft::WRL::ComPtr<ITypeInfo> vtableView;
    HRESULT status = E_FAIL;
};

// Loaded on first use and kept for the life of the process: every object shares it, and all of
// them live on the one server thread.
const ExternTypeInfo& externTypeInfo() {
    static ExternTypeInfo* info = [] {
        auto* loaded = new ExternTypeInfo;
        TypeLibrary library;
        loaded->status = library.load();
        if (SUCCEEDED(loaded->status))
            loaded->status = library.library()->GetTypeInfoOfGuid(IID_IExtern, &loaded->dispatchView);
        HREFTYPE vtableType = 0;
        if (SUCCEEDED(loaded->status))
            loaded->status = loaded->dispatchView->GetRefTypeOfImplType(-1, &vtableType);
        if (SUCCEEDED(loaded->status))
            loaded->status = loaded->dispatchView->GetRefTypeInfo(vtableType, &loaded->vtableView);
        return loaded;
    }();
    return *info;
}

} // namespace

HRESULT Extern::loadTypeInfo() {
    return externTypeInfo().status;
}

HRESULT Extern::create(IUnknown* outer, ServerLock& serverLock, REFIID iid, void** object) {
    *object = nullptr;
    auto* created = new (std::nothrow) Extern(outer, serverLock);
    if (!created) return E_OUTOFMEMORY;
    // The outer object receives the own unknown; everyone else a delegating interface.
    HRESULT result = created->own_.QueryInterface(iid, object);
    created->own_.Release();
    return result;
}

Extern::Extern(IUnknown* outer, ServerLock& serverLock)
    : controlling_(outer ? outer : &own_), serverLock_(serverLock) {
    serverLock_.lock();
}

Extern::~Extern() {
    serverLock_.unlock();
}

HRESULT Extern::OwnUnknown::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown)) {
        *object = this;
    } else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IExtern)) {
        *object = static_cast<IExtern*>(&owner_);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

ULONG Extern::OwnUnknown::AddRef() {
    return ++owner_.references_;
}

ULONG Extern::OwnUnknown::Release() {
    ULONG left = --owner_.references_;
    if (left == 0) delete &owner_;
    return left;
}

HRESULT Extern::QueryInterface(REFIID iid, void** object) {
    return controlling_->QueryInterface(iid, object);
}

ULONG Extern::AddRef() {
    return controlling_->AddRef();
}

ULONG Extern::Release() {
    return controlling_->Release();
}

HRESULT Extern::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT Extern::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const ExternTypeInfo& typeInfo = externTypeInfo();
    if (FAILED(typeInfo.status)) return typeInfo.status;
    return typeInfo.dispatchView.CopyTo(info);
}

HRESULT Extern::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    const ExternTypeInfo& typeInfo = externTypeInfo();
    if (FAILED(typeInfo.status)) return typeInfo.status;
    return DispGetIDsOfNames(typeInfo.vtableView.Get(), names, count, ids);
}

HRESULT Extern::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                       EXCEPINFO* exception, UINT* badArgument) {
    const ExternTypeInfo& typeInfo = externTypeInfo();
    if (FAILED(typeInfo.status)) return typeInfo.status;
    return DispInvoke(static_cast<IExtern*>(this), typeInfo.vtableView.Get(), id, flags, parameters, result,
                      exception, badArgument);
}

HRESULT Extern::invoke(BSTR interfaceName, BSTR operationName, BSTR left, BSTR right, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    try {
        std::string answer = applyOperation(ansiFromBstr(interfaceName), ansiFromBstr(operationName),
                                            ansiFromBstr(left), ansiFromBstr(right), Interfaces::All);
        *result = bstrFromAnsi(answer);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return *result ? S_OK : E_OUTOFMEMORY;
}
