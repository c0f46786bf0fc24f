// The line OrvexVM ends every run with, on standard output; orvex trace ends its run the same way.
#pragma once

#include <cstdio>
#include <initializer_list>

inline void writeClosingLine() {
    for (const char* line : {"\n", "\n", "Se acabo...\n", "\n"}) {
        std::fputs(line, stdout);
        std::fflush(stdout);
    }
}
