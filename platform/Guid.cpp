// GUIDs from the operating system.
#include "platform/Guid.h"

#include <cstring>

#ifdef _WIN32
#include <objbase.h>

Guid newGuid() {
    GUID g{};
    CoCreateGuid(&g); // its result is not checked: a zero GUID still formats
    Guid guid{};
    std::memcpy(&guid, &g, sizeof guid);
    return guid;
}
#else
#include <sys/random.h>

#include <cstddef>

Guid newGuid() {
    // The kernel's random source, drawn a page at a time: one system call per 256 identifiers. A
    // page of each thread's own: runtimes on several threads draw at once.
    static thread_local unsigned char pool[4096];
    static thread_local std::size_t used = sizeof pool;
    if (used == sizeof pool) {
        std::size_t filled = 0;
        while (filled < sizeof pool) {
            ssize_t got = getrandom(pool + filled, sizeof pool - filled, 0);
            if (got > 0) filled += static_cast<std::size_t>(got);
        }
        used = 0;
    }
    Guid guid{};
    std::memcpy(&guid, pool + used, sizeof guid);
    used += sizeof guid;
    return guid;
}
#endif
