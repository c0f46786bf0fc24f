// <invoke>: the operation set on the identifier texts of four parameters, the result delivered
// by looking its text up as a name.
#include "operations/Operations.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/Thread.h"

namespace {

// The text a parameter passes: the identifier text of what it denotes, inherited if need be.
const std::string* parameterText(Thread& thread, const Symbol& name, Object* stringPrototype) {
    Object* object = resolveName(thread, name, stringPrototype, literals::invokeOperand);
    const Symbol* text = object ? identifierText(object, IdLookup::Inherited) : nullptr;
    return text ? &text->text : nullptr;
}

} // namespace

void InvokePrimitiveStringObject::execute(Thread& thread, const Symbol&, const Symbol&,
                                          const Symbol& resultName, const ParameterList& parameters) {
    Object* nil = boundObject(thread, names::nil);
    if (!nil) return;
    Object* string = boundObject(thread, names::string);
    if (!string || parameters.size() != 4) return;
    const std::string* texts[4];
    for (std::size_t i = 0; i < 4; ++i)
        if (!(texts[i] = parameterText(thread, *parameters[i], string))) return;
    std::string answer = applyOperation(*texts[0], *texts[1], *texts[2], *texts[3], Interfaces::StringOnly);

    // The result reference is resolved with "nil" as it is bound now; a failed operation answers the
    // nil the call began with.
    Object* nilNow = boundObject(thread, names::nil);
    if (!thread.lookup(resultName) && !nilNow) return;
    ReferenceHandle result = resolveTarget(thread, resultName, nilNow ? nilNow : nil);
    // A literal answer is made a symbol at once, since it names a literal if nothing else; any
    // other answer that was never a symbol is bound to nothing.
    bool literal = isStringLiteral(answer);
    const Symbol* answerName = literal ? &intern(answer) : SymbolTable::instance().find(answer);
    if (Reference* named = answerName ? thread.lookup(*answerName) : nullptr)
        result->rebind(named->target());
    else if (literal)
        result->rebind(makeLiteral(thread, *answerName, string, literals::invokeAnswer));
    else
        result->rebind(nil);
}
