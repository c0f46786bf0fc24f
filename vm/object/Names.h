// Names: the literal helpers, the list of names a statement passes on, and the names the interpreter
// itself binds, looks up or reads, each spelled once here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "operations/Literals.h"
#include "vm/object/Symbol.h"

// The names written between a call's parentheses, in order.
using ParameterList = std::vector<const Symbol*>;

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

namespace names {
// The world's objects, bound in the global context; every statement and primitive looks "nil" and
// "String" up when it runs, so a program that binds them again changes what it gets.
extern const Symbol& nil;
extern const Symbol& string;
extern const Symbol& externObject;
extern const Symbol& system;
// Bound by programs, read by <has> and the interception call.
extern const Symbol& trueName;
extern const Symbol& falseName;
// A call's frame.
extern const Symbol& params;
extern const Symbol& sender;
extern const Symbol& mySelf;
extern const Symbol& returnName;
// Special members.
extern const Symbol& id;
extern const Symbol& super;
extern const Symbol& objects;
extern const Symbol& twoPoints;
extern const Symbol& synchronousCode;
extern const Symbol& asynchronousCode;
// The one literal <print> writes differently: a line feed alone.
extern const Symbol& newline;
// No name: the target of a statement that has none.
extern const Symbol& none;
} // namespace names
