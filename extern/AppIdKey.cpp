// The registry key HKCR\AppID\{AppID}.
#include "extern/AppIdKey.h"

#include "extern/AppId.h"

AppIdKey::~AppIdKey() {
    if (key_) RegCloseKey(key_);
}

LONG AppIdKey::open(REGSAM access) {
    HKEY appIds = nullptr;
    LONG result = RegOpenKeyExW(HKEY_CLASSES_ROOT, L"AppID", 0, access, &appIds);
    if (result != ERROR_SUCCESS) return result;
    result = RegOpenKeyExW(appIds, appIdKeyName, 0, access, &key_);
    RegCloseKey(appIds);
    return result;
}

bool AppIdKey::readString(const wchar_t* name, std::wstring& value) const {
    wchar_t buffer[261] = {};
    DWORD size = sizeof buffer - sizeof buffer[0]; // room for a terminator the registry may not store
    DWORD type = 0;
    LONG result = RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    value.assign(buffer, size / sizeof buffer[0]);
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return true;
}

LONG AppIdKey::writeString(const wchar_t* name, const std::wstring& value) {
    auto size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), size);
}

LONG AppIdKey::deleteValue(const wchar_t* name) {
    return RegDeleteValueW(key_, name);
}
