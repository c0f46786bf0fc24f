// One Extern object in the server, called through its vtable or through IDispatch.
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <wrl/client.h>

#include <string>

#include "OrvexExtern.h"

// An owned BSTR; a null one when made from nullptr.
class Bstr {
  public:
    explicit Bstr(const wchar_t* text) : value_(text ? SysAllocString(text) : nullptr) {}
    // Keeps embedded null characters.
    explicit Bstr(const std::wstring& text)
        : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }

  private:
    BSTR value_;
};

// The four arguments of invoke; a null pointer stands for a null BSTR.
struct InvokeArguments {
    const wchar_t* interfaceName;
    const wchar_t* operationName;
    const wchar_t* left;
    const wchar_t* right;
};

class ExternObject {
  public:
    // Creates an object of the class in a local server.
    HRESULT create(const CLSID& classId);
    // Takes an object made elsewhere, e.g. by a class object.
    void attach(IExtern* object) { extern_ = object; }
    void release() { extern_.Reset(); }

    // invoke through the vtable.
    HRESULT call(const InvokeArguments& arguments, std::wstring& answer) const;
    // The same with BSTRs the caller made, to pass embedded nulls and long texts.
    HRESULT call(BSTR interfaceName, BSTR operationName, BSTR left, BSTR right, std::wstring& answer) const;
    // invoke through IDispatch::Invoke with the given dispatch id.
    HRESULT dispatch(DISPID id, const InvokeArguments& arguments, std::wstring& answer) const;
    // The dispatch id IDispatch reports for a name.
    HRESULT idOfName(const wchar_t* name, DISPID& id) const;

    IExtern* get() const { return extern_.Get(); }

  private:
    Microsoft::WRL::ComPtr<IExtern> extern_;
};
