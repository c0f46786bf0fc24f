// Large blocks of memory for the interpreter's own small-block allocator.
#pragma once

#include <cstddef>

// The size and alignment of a large page where the system has them (2 MB on x86-64).
inline constexpr std::size_t largePageSize = std::size_t{2} << 20;

// A block of bytes (a multiple of largePageSize) straight from the system, backed by large pages
// where the system offers them: a deep recursion keeps every frame it made, and each small page it
// touches costs a fault. Aligned to largePageSize on Linux; on Windows a region of its own, of large
// pages when the process holds the privilege to lock memory, and otherwise with its small pages made
// in one call instead of a fault each (every block asked for is written from end to end: a chunk the
// allocator carves, a text, an array that fills as it grows). Null when there is no memory.
void* allocateLargeBlock(std::size_t bytes);
// Gives back a block of allocateLargeBlock.
void freeLargeBlock(void* block) noexcept;

// The machine's memory in bytes; 0 when the system does not say.
std::size_t physicalMemory();

// For a program that runs one image and ends (OrvexVM): memory that the C library's heap gets back
// stays with the process, instead of going back to the system after every large transient text (an
// operation's answer) only to be faulted in again for the next one. Blocks of a megabyte and more,
// the runtime's chunks among them, are still mapped and unmapped on their own.
void keepFreedMemoryForReuse();

// Asks for large pages behind the whole pages of a block already allocated, before it is first
// written: an image of many megabytes is then faulted in a few large pages at a time. Only advice.
void adviseLargePages(void* block, std::size_t bytes);
