// The bindings of one name across a thread's stack of contexts.
#pragma once

#include <string>
#include <utility>
#include <vector>

class Context;
class Reference;

struct NameSlot {
    struct Holder {
        Context* context;
        Reference* reference;
    };
    Reference* bottom = nullptr; // the bottom (global) context's binding
    std::vector<Holder> stacked; // those of pushed contexts, innermost last
};

// A name with its slot. A thread keeps one per name it has ever bound; a context not on any
// thread keeps its own, whose slot stays empty.
using NameEntry = std::pair<const std::string, NameSlot>;
