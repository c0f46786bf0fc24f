// Conversions between the UTF-16 strings of COM and the 8-bit texts of the operation set, in the
// system's ANSI code page.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

// The text of value up to its first null character; a null BSTR is the empty text.
// Throws std::bad_alloc when memory runs out.
std::string ansiFromBstr(BSTR value);

// A new BSTR holding text, which the caller frees; null when memory runs out.
BSTR bstrFromAnsi(std::string_view text);
