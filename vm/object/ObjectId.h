// Object identifiers: "{", 32 lowercase hexadecimal digits, "}".
#pragma once

#include <string>

#include "platform/Guid.h"

std::string formatObjectId(const Guid& guid);
// A fresh identifier from the platform's GUID source.
std::string newObjectId();
