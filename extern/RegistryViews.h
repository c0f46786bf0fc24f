// The two views of HKLM\Software\Classes on 64-bit Windows: 64-bit programs read one, 32-bit
// programs the other, except for the keys the system shares between them. OrvexExtern registers
// from its own 64-bit process, so the registrar and RegisterTypeLib write the 64-bit view; these
// give 32-bit clients the same entries.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace RegistryViews {

// Makes each key (a path under Software\Classes) of the 32-bit view a copy of the same key of the
// 64-bit view, replacing what it held; keys the views share are already right and left alone.
// ERROR_SUCCESS, or the first error.
LONG copyTo32Bit(const std::vector<std::wstring>& keys);

// Deletes each key with everything under it from the 32-bit view; a key already gone is no error.
void deleteFrom32Bit(const std::vector<std::wstring>& keys);

} // namespace RegistryViews
