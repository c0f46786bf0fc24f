// Copies OrvexExtern's keys into the 32-bit view of the registry and deletes them from it.
#include "extern/RegistryViews.h"

#include <winternl.h>

// The native call that names a key, which the SDK headers leave out. Both views of a shared key
// open the one key, so its name tells a shared key from a redirected one on any system, whichever
// keys that system shares.
extern "C" NTSTATUS NTAPI NtQueryKey(HANDLE key, int informationClass, void* information, ULONG length,
                                     ULONG* resultLength);

namespace {

constexpr int keyNameInformation = 3;

// Closes a registry key at the end of a scope.
class OpenKey {
  public:
    OpenKey() = default;
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY* put() { return &key_; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

std::wstring classesPath(const std::wstring& key) {
    return L"Software\\Classes\\" + key;
}

// The key's full name in the registry's own namespace, or nothing when it cannot be had.
std::wstring fullName(HKEY key) {
    std::vector<BYTE> buffer(1024);
    ULONG length = 0;
    NTSTATUS status;
    while ((status = NtQueryKey(key, keyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                &length)) < 0 &&
           length > buffer.size())
        buffer.resize(length);
    if (status < 0) return {};
    const auto* record = reinterpret_cast<const ULONG*>(buffer.data());
    return std::wstring(reinterpret_cast<const wchar_t*>(record + 1), record[0] / sizeof(wchar_t));
}

bool sameKey(HKEY first, HKEY second) {
    std::wstring name = fullName(first);
    return !name.empty() && lstrcmpiW(name.c_str(), fullName(second).c_str()) == 0;
}

LONG deleteFromView(const std::wstring& path, REGSAM view) {
    OpenKey key;
    LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS | view, key.put());
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    // Empties the key, then deletes it: RegDeleteTree keeps the key it is given.
    result = RegDeleteTreeW(key.get(), nullptr);
    if (result != ERROR_SUCCESS) return result;
    return RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
}

LONG copyKey(const std::wstring& key) {
    std::wstring path = classesPath(key);
    OpenKey source, existing, copy;
    LONG result =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, source.put());
    if (result != ERROR_SUCCESS) return result;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, existing.put()) ==
        ERROR_SUCCESS) {
        if (sameKey(source.get(), existing.get())) return ERROR_SUCCESS;
        // A copy replaces the old one whole, as the registrar's ForceRemove does in the 64-bit view.
        result = deleteFromView(path, KEY_WOW64_32KEY);
        if (result != ERROR_SUCCESS) return result;
    }
    result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                             KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, copy.put(), nullptr);
    if (result != ERROR_SUCCESS) return result;
    return RegCopyTreeW(source.get(), nullptr, copy.get());
}

} // namespace

LONG RegistryViews::copyTo32Bit(const std::vector<std::wstring>& keys) {
    for (const std::wstring& key : keys) {
        LONG result = copyKey(key);
        if (result != ERROR_SUCCESS) return result;
    }
    return ERROR_SUCCESS;
}

void RegistryViews::deleteFrom32Bit(const std::vector<std::wstring>& keys) {
    for (const std::wstring& key : keys)
        deleteFromView(classesPath(key), KEY_WOW64_32KEY);
}
