// The operation set: arithmetic, comparison, concatenation, length, truncation and random numbers
// on texts, shared by OrvexVM's <invoke> and OrvexExtern's IExtern::invoke.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Which interfaces an operation set knows: OrvexVM carries only "String".
enum class Interfaces { StringOnly, All };

// Seconds since 1970-01-01 00:00 UTC, the seed of every <random> call. Replaceable for tests.
using SecondsClock = std::uint32_t (*)();
void setOperationClock(SecondsClock clock); // null restores the system clock

std::string applyOperation(std::string_view interfaceName, std::string_view operationName,
                           std::string_view left, std::string_view right,
                           Interfaces interfaces = Interfaces::All);
// The same, as a constant or written in scratch, in its memory when that is enough: a caller that
// keeps one scratch for every call (<invoke>) builds a long text piece by piece without a block of
// the heap at every piece. The operands do not lie in scratch; the answer lasts until its next use.
std::string_view applyOperation(std::string& scratch, std::string_view interfaceName,
                                std::string_view operationName, std::string_view left, std::string_view right,
                                Interfaces interfaces = Interfaces::All);
// Whether applyOperation has that operation, or answers "nil" for not knowing it.
bool knowsOperation(std::string_view interfaceName, std::string_view operationName,
                    Interfaces interfaces = Interfaces::All);
