// What the language's own names mean, in words for an editor's hover and completion: the fifteen
// primitives, the operations of <invoke>, and the names the world and a call bind.
#pragma once

#include <string_view>
#include <vector>

struct ReferenceEntry {
    std::string_view name; // as written: <print>, <+>, params
    std::string_view form; // how it is used
    std::string_view text; // what it does
};

const std::vector<ReferenceEntry>& primitiveReference();
const std::vector<ReferenceEntry>& operationReference();
const std::vector<ReferenceEntry>& worldNameReference();
// The entry for a name written in a program, or none; an operation only when asked for one.
const ReferenceEntry* referenceFor(std::string_view name, bool operation);
