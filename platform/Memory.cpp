// Large blocks: transparent huge pages on Linux, plain memory elsewhere.
#include "platform/Memory.h"

#include <cstdint>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif
#ifdef _WIN32
#include <windows.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

void* allocateLargeBlock(std::size_t bytes) {
#ifdef _WIN32
    // Large pages on Windows need a privilege that a program cannot count on.
    return std::malloc(bytes);
#else
    void* block = std::aligned_alloc(largePageSize, bytes);
    // Only advice: where huge pages are off, the block is ordinary memory.
    if (block) adviseLargePages(block, bytes);
    return block;
#endif
}

std::size_t physicalMemory() {
#if defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? static_cast<std::size_t>(status.ullTotalPhys) : 0;
#elif defined(__linux__)
    const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && size > 0 ? static_cast<std::size_t>(pages) * static_cast<std::size_t>(size) : 0;
#else
    return 0;
#endif
}

void keepFreedMemoryForReuse() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
#endif
}

void adviseLargePages([[maybe_unused]] void* block, [[maybe_unused]] std::size_t bytes) {
#ifdef __linux__
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + largePageSize - 1) & ~(largePageSize - 1);
    const std::uintptr_t end = (start + bytes) & ~(largePageSize - 1);
    if (first < end) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#endif
}
