// The AppID of OrvexExtern: one of the identifier family declared in OrvexExtern.idl, and the
// subkey of HKCR\AppID written by the application script; and the executable's entry beside it.
#pragma once

inline constexpr wchar_t appIdKeyName[] = L"{7DA6B871-864A-4B77-951D-FBF84CF790D7}";
inline constexpr wchar_t appIdExecutableKeyName[] = L"OrvexExtern.EXE";
