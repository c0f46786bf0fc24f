// The switches OrvexExtern acts on.
#include "extern/CommandLine.h"

#include <windows.h>

Switch findSwitch(const wchar_t* commandLine) {
    static const struct {
        const wchar_t* name;
        Switch value;
    } switches[] = {
        {L"UnregServer", Switch::UnregServer},
        {L"RegServer", Switch::RegServer},
        {L"Service", Switch::Service},
        {L"Embedding", Switch::Embedding},
    };
    for (const wchar_t* c = commandLine; c && *c; ++c) {
        if (*c != L'-' && *c != L'/') continue;
        for (const auto& known : switches)
            if (lstrcmpiW(c + 1, known.name) == 0) return known.value;
    }
    return Switch::None;
}
