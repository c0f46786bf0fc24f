// What -RegServer, -Service and -UnregServer write to and remove from the registry and the
// service database.
#include "extern/ServerRegistration.h"

#include <objbase.h>

#include <vector>

#include "OrvexExtern.h"
#include "extern/AppId.h"
#include "extern/AppIdKey.h"
#include "extern/Registrar.h"
#include "extern/RegistryViews.h"
#include "extern/ResourceIds.h"
#include "extern/TypeLibrary.h"

namespace {

std::wstring guidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// A string value of a key under HKLM\Software\Classes in one view of the registry, or nothing.
std::wstring classesValue(const std::wstring& key, REGSAM view) {
    HKEY opened = nullptr;
    std::wstring path = L"Software\\Classes\\" + key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS)
        return L"";
    wchar_t value[260] = {};
    DWORD size = sizeof value - sizeof value[0];
    LONG result = RegGetValueW(opened, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS ? value : L"";
}

// Every key registration writes under HKCR, as a path there. The ProgIDs are those the class key
// of the given view names, so that they are written down once, in the class script.
std::vector<std::wstring> registeredKeys(REGSAM view) {
    std::wstring classKey = L"CLSID\\" + guidText(CLSID_Extern);
    std::vector<std::wstring> keys = {
        classKey, L"AppID\\" + std::wstring(appIdKeyName), L"AppID\\" + std::wstring(appIdExecutableKeyName),
        L"Interface\\" + guidText(IID_IExtern), L"TypeLib\\" + guidText(LIBID_OrvexExternLibrary)};
    for (const wchar_t* name : {L"ProgID", L"VersionIndependentProgID"}) {
        std::wstring progId = classesValue(classKey + L"\\" + name, view);
        if (!progId.empty()) keys.push_back(progId);
    }
    return keys;
}

} // namespace

int ServerRegistration::registerServer(bool asService) {
    HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(initialized)) return initialized;
    // An older installation may run another copy of the program.
    installer_.uninstall();
    int result = registerAppId(asService);
    if (result == ERROR_SUCCESS) result = registerClasses();
    // 32-bit clients read their own view of the registry.
    if (result == ERROR_SUCCESS)
        result = HRESULT_FROM_WIN32(RegistryViews::copyTo32Bit(registeredKeys(KEY_WOW64_64KEY)));
    CoUninitialize();
    return result;
}

int ServerRegistration::registerAppId(bool asService) {
    Registrar::runScript(IDR_APPLICATION_SCRIPT, true);
    AppIdKey key;
    LONG opened = key.open(KEY_READ | KEY_WRITE);
    if (opened != ERROR_SUCCESS) return opened;
    // Service mode is decided by this value alone, so only -Service may leave it behind.
    key.deleteValue(L"LocalService");
    if (asService) {
        key.writeString(L"LocalService", serviceName_);
        key.writeString(L"ServiceParameters", L"-Service");
        installer_.install();
    }
    return ERROR_SUCCESS;
}

HRESULT ServerRegistration::registerClasses() {
    HRESULT result = Registrar::runScript(IDR_CLASS_SCRIPT, true);
    if (FAILED(result)) return result;
    TypeLibrary library, library32Bit;
    result = library.load();
    if (SUCCEEDED(result)) result = library.registerLibrary();
    if (SUCCEEDED(result)) result = library32Bit.load32Bit();
    return SUCCEEDED(result) ? library32Bit.registerLibrary() : result;
}

int ServerRegistration::unregisterServer() {
    HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(initialized)) return initialized;
    // Each step removes what it can: a part that was never registered is no reason to keep the rest.
    // Listed while the 32-bit class key still names the ProgIDs.
    std::vector<std::wstring> keys = registeredKeys(KEY_WOW64_32KEY);
    Registrar::runScript(IDR_APPLICATION_SCRIPT, false);
    installer_.uninstall();
    Registrar::runScript(IDR_CLASS_SCRIPT, false);
    TypeLibrary library;
    if (SUCCEEDED(library.load())) {
        library.unregisterLibrary(SYS_WIN64);
        library.unregisterLibrary(SYS_WIN32);
    }
    RegistryViews::deleteFrom32Bit(keys);
    CoUninitialize();
    return 0;
}
