// orvex run: a program's output on standard output, its stops on standard error, and an exit status
// that says how the run ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// argv after "run". Exit statuses: 0 ran with no stop, 1 some statement stopped silently, 2 the
// input cannot be read (or the command line makes no sense), 3 a limit was reached.
int runCommand(int argc, char** argv);

// Whether file is a terminal (output then goes out at once, and a prompt is shown).
bool isTerminal(std::FILE* file);

// A size in bytes as written on the command line: 512M, 4G, 1.5G, 65536.
bool parseSize(const char* text, std::size_t& bytes);

// A count of statements above 0, as a limit is written on the command line.
bool parseCount(const char* text, std::uint64_t& count);

// The memory limit when none is given: half of the machine's memory, so that a runaway program
// ends with a message and never by the system killing it.
std::size_t defaultMemoryLimit();
