// The primitive base and the procedures the primitives share.
#include "vm/primitives/PrimitiveStringObject.h"

#include "vm/runtime/Resolution.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"

PrimitiveStringObject::PrimitiveStringObject(std::string_view text, Procedure procedure)
    : StringObject(text), procedure_(procedure) {
    kind_ = Kind::Primitive;
}

bool PrimitiveStringObject::beginResult(Thread& thread, const Symbol& resultName, StringLookup stringLookup,
                                        ResultCall& call) const {
    call.nil = requireBound(thread, names::nil);
    if (!call.nil) return false;
    if (stringLookup == StringLookup::BeforeResult && !(call.string = requireBound(thread, names::string)))
        return false;
    if (resultName.empty()) {
        noteStop(SilentStop::NoResultName, text());
        return false;
    }
    call.result = resolveTarget(thread, resultName, call.nil);
    if (stringLookup == StringLookup::AfterResult && !(call.string = requireBound(thread, names::string)))
        return false;
    return true;
}

void PrimitiveStringObject::noteParameterCount(std::size_t expected, std::size_t got) const {
    noteStop(SilentStop::ParameterCount, text(), {}, static_cast<int>(expected), static_cast<int>(got));
}

const Symbol* noIdentifier(const Symbol* name) {
    if (name) noteStop(SilentStop::NoIdentifier, name->text());
    return nullptr;
}
