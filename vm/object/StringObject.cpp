// String objects.
#include "vm/object/StringObject.h"

StringObject::StringObject(std::string_view text) : Object(text), text_(text) { kind_ = Kind::String; }

StringObject::~StringObject() = default;
