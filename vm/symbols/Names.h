// Names: the literal helpers, the list of names a statement passes on, and the names the interpreter
// itself binds, looks up or reads, each spelled once here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "operations/Literals.h"
#include "vm/memory/SmallAllocator.h"
#include "vm/symbols/Symbol.h"

// The names written between a call's parentheses, in order.
using ParameterList = std::vector<const Symbol*, SmallBlocks<const Symbol*>>;

using operations::isStringLiteral;
using operations::unquote;
inline bool isStringLiteral(const Symbol& name) {
    return isStringLiteral(name.text());
}

std::string formatDecimal(std::int32_t n);
// "<" + formatDecimal(n) + ">"
std::string formatNumberLiteral(std::int32_t n);
// The same as a symbol: the keys <0>, <1>, ... of parameter objects.
const Symbol& numberLiteral(std::int32_t n);

// The names the interpreter itself uses are the same symbols in every runtime: each table starts
// with them, numbered first, so that a statement names them at no cost and two runtimes share
// nothing that changes. Whole blocks of the table; the rest are the first number literals.
inline constexpr std::uint32_t wellKnownCount = 32;
extern const Symbol wellKnownSymbols[wellKnownCount];

namespace names {
// No name: the target of a statement that has none.
inline constexpr const Symbol& none = wellKnownSymbols[0];
// The world's objects, bound in the global context; every statement and primitive looks "nil" and
// "String" up when it runs, so a program that binds them again changes what it gets.
inline constexpr const Symbol& nil = wellKnownSymbols[1];
inline constexpr const Symbol& string = wellKnownSymbols[2];
inline constexpr const Symbol& externObject = wellKnownSymbols[3];
inline constexpr const Symbol& system = wellKnownSymbols[4];
// Bound by programs, read by <has> and the interception call.
inline constexpr const Symbol& trueName = wellKnownSymbols[5];
inline constexpr const Symbol& falseName = wellKnownSymbols[6];
// A call's frame.
inline constexpr const Symbol& params = wellKnownSymbols[7];
inline constexpr const Symbol& sender = wellKnownSymbols[8];
inline constexpr const Symbol& mySelf = wellKnownSymbols[9];
inline constexpr const Symbol& returnName = wellKnownSymbols[10];
// Special members.
inline constexpr const Symbol& id = wellKnownSymbols[11];
inline constexpr const Symbol& super = wellKnownSymbols[12];
inline constexpr const Symbol& objects = wellKnownSymbols[13];
inline constexpr const Symbol& twoPoints = wellKnownSymbols[14];
inline constexpr const Symbol& synchronousCode = wellKnownSymbols[15];
inline constexpr const Symbol& asynchronousCode = wellKnownSymbols[16];
// The one literal <print> writes differently: a line feed alone.
inline constexpr const Symbol& newline = wellKnownSymbols[17];
// The bracketed names of the world's objects, bound and registered by the bootstrap.
inline constexpr const Symbol& nilLiteral = wellKnownSymbols[18];
inline constexpr const Symbol& stringLiteral = wellKnownSymbols[19];
inline constexpr const Symbol& externLiteral = wellKnownSymbols[20];
inline constexpr const Symbol& systemLiteral = wellKnownSymbols[21];
// "<0>" to "<9>" follow.
inline constexpr std::uint32_t firstNumber = 22;
} // namespace names
