// The registry key HKCR\AppID\{AppID}, where OrvexExtern keeps its service settings.
#pragma once

#include <windows.h>

#include <string>

class AppIdKey {
  public:
    AppIdKey() = default;
    ~AppIdKey();
    AppIdKey(const AppIdKey&) = delete;
    AppIdKey& operator=(const AppIdKey&) = delete;

    // Opens "AppID", then its subkey of our AppID, with the given access; ERROR_SUCCESS or the
    // registry's error.
    LONG open(REGSAM access);

    // The text of a string value, up to 260 characters; false when it cannot be read.
    bool readString(const wchar_t* name, std::wstring& value) const;

    LONG writeString(const wchar_t* name, const std::wstring& value);
    LONG deleteValue(const wchar_t* name);

  private:
    HKEY key_ = nullptr;
};
