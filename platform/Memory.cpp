// Large blocks: transparent huge pages on Linux, regions of their own on Windows.
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

#ifdef _WIN32
namespace {

// The size of Windows' large pages when this process may use them: they need the privilege to lock
// memory, held by few accounts and off until the process enables it. 0 when they cannot be had, or
// do not divide the blocks asked for.
std::size_t usableLargePage() {
    static const std::size_t size = [] {
        const std::size_t minimum = GetLargePageMinimum();
        if (minimum == 0 || largePageSize % minimum != 0) return std::size_t{0};
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            return std::size_t{0};
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        // AdjustTokenPrivileges succeeds without the privilege and says so only in the last error.
        const bool enabled =
            LookupPrivilegeValueW(nullptr, L"SeLockMemoryPrivilege", &privileges.Privileges[0].Luid) &&
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
            GetLastError() == ERROR_SUCCESS;
        CloseHandle(token);
        return enabled ? minimum : std::size_t{0};
    }();
    return size;
}

} // namespace
#endif

void* allocateLargeBlock(std::size_t bytes) {
#ifdef _WIN32
    // Large pages are locked in memory and may be refused when memory is fragmented: then small ones.
    if (usableLargePage() != 0)
        if (void* block =
                VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES, PAGE_READWRITE))
            return block;
    void* block = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    // Committed pages are made only when first touched, a fault each. Locking the block makes them all
    // in one call; where the working set is too small to lock it, they come one fault at a time.
    if (block && VirtualLock(block, bytes)) VirtualUnlock(block, bytes);
    return block;
#else
    void* block = std::aligned_alloc(largePageSize, bytes);
    // Only advice: where huge pages are off, the block is ordinary memory.
    if (block) adviseLargePages(block, bytes);
    return block;
#endif
}

void freeLargeBlock(void* block) noexcept {
#ifdef _WIN32
    if (block) VirtualFree(block, 0, MEM_RELEASE);
#else
    std::free(block);
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
