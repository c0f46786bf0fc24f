// Running a string object's text, or a statement's own bracketed text, as code.
#include "vm/statements/EvaluationStatements.h"

#include "vm/object/StringObject.h"
#include "vm/runtime/Call.h"
#include "vm/runtime/Resolution.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"

namespace {

// The code of a reference evaluation: the text of the string object the name refers to.
StringObject* codeOf(const Thread& thread, const Symbol& referenceName) {
    Object* object = requireBound(thread, referenceName);
    StringObject* code = object ? object->asStringObject() : nullptr;
    if (object && !code) noteStop(SilentStop::NotCode, referenceName.text());
    return code;
}

// The child's frame: the result through "return" when there is a target, resolved in the child's
// context, then "params".
void runSynchronously(Thread& thread, CodeRef code, const ParameterList& parameters, Object* string,
                      Object* nil, const Symbol& targetName) {
    std::optional<Context> frame = startCall(thread, std::move(code), CallMode::Synchronous);
    if (!frame) return;
    ParameterObject bound = makeParameterObject(thread, parameters, string);
    if (!bound.complete) return;
    ReferenceHandle result;
    CallFrame call;
    call.parameters = &bound;
    if (!targetName.empty()) {
        result = resolveTarget(thread, targetName, nil);
        call.result = result.get();
    }
    bindFrame(*frame, call);
}

// The code joins the pool; its parameters are bound in the caller's own context.
void runAsynchronously(Thread& thread, CodeRef code, const ParameterList& parameters, Object* string) {
    std::optional<Context> frame = startCall(thread, std::move(code), CallMode::Asynchronous);
    if (!frame) return;
    ParameterObject bound = makeParameterObject(thread, parameters, string);
    if (!bound.complete) return;
    CallFrame call;
    call.parameters = &bound;
    bindFrame(*frame, call);
}

} // namespace

void SynchronousReferenceEvaluationStatement::execute() {
    Object* string = requireBound(*thread_, names::string);
    if (!string) return;
    Object* nil = requireBound(*thread_, names::nil);
    if (!nil) return;
    StringObject* code = codeOf(*thread_, *referenceName_);
    if (!code) return;
    runSynchronously(*thread_, CodeRef::share(Code::of(*code)), parameters_, string, nil, *targetName_);
}

void SynchronousStringEvaluationStatement::execute() {
    Object* string = requireBound(*thread_, names::string);
    if (!string) return;
    Object* nil = requireBound(*thread_, names::nil);
    if (!nil) return;
    // Read in place: the text this statement stands in, or its own copy, lives as long as the
    // statement, so deeply nested code costs no copy per level.
    if (!code_)
        code_ = CodeRef::adopt(Code::make(CharStream::view(unquote(codeText_)), Code::Keeping::Every));
    runSynchronously(*thread_, CodeRef::share(code_.get()), parameters_, string, nil, *targetName_);
}

// Nothing of an asynchronous call refers to nil, yet a call without "nil" bound is not made.
void AsynchronousReferenceEvaluationStatement::execute() {
    Object* string = requireBound(*thread_, names::string);
    if (!string || !requireBound(*thread_, names::nil)) return;
    StringObject* code = codeOf(*thread_, *referenceName_);
    if (!code) return;
    runAsynchronously(*thread_, CodeRef::share(Code::of(*code)), parameters_, string);
}

void AsynchronousStringEvaluationStatement::execute() {
    Object* string = requireBound(*thread_, names::string);
    if (!string || !requireBound(*thread_, names::nil)) return;
    // Asynchronous code may outlive the text this statement stands in: it reads a copy of its own.
    if (!code_)
        code_ = CodeRef::adopt(Code::make(CharStream::copy(unquote(codeText_)), Code::Keeping::Every));
    runAsynchronously(*thread_, CodeRef::share(code_.get()), parameters_, string);
}
