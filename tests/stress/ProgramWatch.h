// Names the program that was running when the process dies: a crash, a sanitizer report or a
// hang (a watchdog alarm) in the middle of thousands of generated programs is only useful with
// the kind and seed that rebuild the program.
#pragma once

#include <cstdint>
#include <string_view>

#include "tests/stress/ProgramGenerator.h"

// Installs the handlers once per process. A program still running after watchdogSeconds is
// taken for a hang: the process reports it and aborts.
void watchPrograms(unsigned watchdogSeconds);
// The text is kept so that the report can show it; it must live until endProgram.
void startProgram(ProgramKind kind, std::uint64_t seed, std::string_view text);
void endProgram();
