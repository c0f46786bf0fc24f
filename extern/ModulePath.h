// Paths of the running executable.
#pragma once

#include <string>

// The executable's full path.
std::wstring modulePath();

// The directory of the executable, without the final separator.
std::wstring moduleDirectory();
