// <invoke>: the operation set on the identifier texts of four parameters, the result delivered
// by looking its text up as a name.
#include "operations/Operations.h"
#include "vm/primitives/PrimitiveStringObject.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"

namespace {

// The text a parameter passes: the identifier text of what it denotes, inherited if need be.
const Symbol* parameterText(Thread& thread, const Symbol& name, Object* stringPrototype) {
    Object* object = resolveName(thread, name, stringPrototype, literals::invokeOperand);
    return object ? identifierText(object, IdLookup::Inherited, &name) : nullptr;
}

// The symbol of an answer that is no literal: mostly the words a comparison answers, which every
// table holds from the start.
const Symbol* wordAnswered(const SymbolTable& symbols, std::string_view answer) {
    if (answer == names::trueName.text()) return &names::trueName;
    if (answer == names::falseName.text()) return &names::falseName;
    return symbols.find(answer);
}

} // namespace

void InvokePrimitiveStringObject::execute(Thread& thread, const Symbol&, const Symbol&,
                                          const Symbol& resultName, const ParameterList& parameters) {
    Object* nil = requireBound(thread, names::nil);
    if (!nil) return;
    Object* string = requireBound(thread, names::string);
    if (!string || !takes(4, parameters)) return;
    std::string_view texts[4];
    for (std::size_t i = 0; i < 4; ++i) {
        const Symbol* text = parameterText(thread, *parameters[i], string);
        if (!text) return;
        texts[i] = text->text();
    }
    const std::string_view answer =
        applyOperation(thread.answerBuffer(), texts[0], texts[1], texts[2], texts[3], Interfaces::StringOnly);
    if (runObserver() && !knowsOperation(texts[0], texts[1], Interfaces::StringOnly))
        noteStop(SilentStop::UnknownOperation, texts[0], texts[1]);

    // The result reference is resolved with "nil" as it is bound now; a failed operation answers the
    // nil the call began with.
    Object* nilNow = boundObject(thread, names::nil);
    if (!thread.lookup(resultName) && !nilNow) return noteStop(SilentStop::Unbound, names::nil.text());
    ReferenceHandle result = resolveTarget(thread, resultName, nilNow ? nilNow : nil);
    // A literal answer is made a symbol at once, since it names a literal if nothing else; any
    // other answer that was never a symbol is bound to nothing.
    bool literal = isStringLiteral(answer);
    SymbolTable& symbols = SymbolTable::current();
    const Symbol* answerName = literal ? &symbols.internComputed(answer) : wordAnswered(symbols, answer);
    if (Object* named = answerName ? thread.lookupObject(*answerName) : nullptr)
        result->rebind(named);
    else if (literal)
        result->rebind(makeLiteral(thread, *answerName, string, literals::invokeAnswer));
    else {
        // A word the program has not bound ("true", "false"): the answer is lost.
        if (runObserver() && answer != names::nil.text()) noteStop(SilentStop::AnswerUnbound, answer);
        result->rebind(nil);
    }
}
