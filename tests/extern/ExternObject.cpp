// One Extern object in the server, called through its vtable or through IDispatch.
#include "ExternObject.h"

HRESULT ExternObject::create(const CLSID& classId) {
    return CoCreateInstance(classId, nullptr, CLSCTX_LOCAL_SERVER, IID_IExtern,
                            reinterpret_cast<void**>(extern_.ReleaseAndGetAddressOf()));
}

HRESULT ExternObject::call(const InvokeArguments& arguments, std::wstring& answer) const {
    Bstr interfaceName(arguments.interfaceName), operationName(arguments.operationName);
    Bstr left(arguments.left), right(arguments.right);
    return call(interfaceName.get(), operationName.get(), left.get(), right.get(), answer);
}

HRESULT ExternObject::call(BSTR interfaceName, BSTR operationName, BSTR left, BSTR right,
                           std::wstring& answer) const {
    BSTR result = nullptr;
    HRESULT status = extern_->invoke(interfaceName, operationName, left, right, &result);
    answer.assign(result ? result : L"", result ? SysStringLen(result) : 0);
    SysFreeString(result);
    return status;
}

HRESULT ExternObject::dispatch(DISPID id, const InvokeArguments& arguments, std::wstring& answer) const {
    // IDispatch takes the arguments last to first.
    const wchar_t* texts[] = {arguments.right, arguments.left, arguments.operationName,
                              arguments.interfaceName};
    VARIANT parameters[4];
    for (int i = 0; i < 4; ++i) {
        VariantInit(&parameters[i]);
        parameters[i].vt = VT_BSTR;
        parameters[i].bstrVal = texts[i] ? SysAllocString(texts[i]) : nullptr;
    }
    DISPPARAMS call = {parameters, nullptr, 4, 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT status =
        extern_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &call, &result, nullptr, nullptr);
    answer = result.vt == VT_BSTR && result.bstrVal ? result.bstrVal : L"";
    if (SUCCEEDED(status) && result.vt != VT_BSTR) status = DISP_E_TYPEMISMATCH;
    VariantClear(&result);
    for (VARIANT& parameter : parameters)
        VariantClear(&parameter);
    return status;
}

HRESULT ExternObject::idOfName(const wchar_t* name, DISPID& id) const {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return extern_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}
