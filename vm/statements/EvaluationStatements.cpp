// Running a string object's text, or a statement's own bracketed text, as code.
#include "vm/statements/EvaluationStatements.h"

#include "vm/object/Names.h"
#include "vm/object/StringObject.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/ParameterBinding.h"

namespace {

// The code of a reference evaluation: the text of the string object the name refers to.
StringObject* codeOf(Thread& thread, const std::string& referenceName) {
    Reference* reference = thread.lookup(referenceName);
    return reference ? reference->target()->asStringObject() : nullptr;
}

// After the child has started: parameters, then the result through "return", then "params".
void bindSynchronousCall(Thread& thread, const ParameterList& parameters, Object* string, Object* nil,
                         const std::string& targetName) {
    BoundParameters bound = bindParameters(thread, parameters, string);
    if (!bound.complete) return;
    Context* context = thread.currentContext();
    if (!targetName.empty()) {
        ReferenceHandle result = resolveTarget(thread, targetName, nil);
        context->addSharedReference("return", result.get());
    }
    context->addReference("params", bound.object);
}

void runSynchronously(Thread& thread, CharStream code, const ParameterList& parameters, Object* string, Object* nil,
                      const std::string& targetName) {
    ThreadPool* pool = thread.pool();
    if (!pool || !pool->currentEvaluation()) return;
    pool->setCurrentEvaluation(pool->currentEvaluation()->startChild(std::move(code)));
    bindSynchronousCall(thread, parameters, string, nil, targetName);
}

// The code joins the pool; its parameters are bound in the caller's own context.
void runAsynchronously(Thread& thread, std::string_view code, const ParameterList& parameters, Object* string) {
    ThreadPool* pool = thread.pool();
    if (!pool) return;
    pool->setCurrentEvaluation(pool->addEvaluation(CharStream::copy(code), &thread));
    BoundParameters bound = bindParameters(thread, parameters, string);
    if (bound.complete) thread.currentContext()->addReference("params", bound.object);
}

} // namespace

void SynchronousReferenceEvaluationStatement::execute() {
    Reference* string = thread_->lookup("String");
    if (!string) return;
    Reference* nil = thread_->lookup("nil");
    if (!nil) return;
    StringObject* code = codeOf(*thread_, referenceName_);
    if (!code) return;
    runSynchronously(*thread_, CharStream::view(unquote(code->text())), parameters_, string->target(),
                     nil->target(), targetName_);
}

void SynchronousStringEvaluationStatement::execute() {
    Reference* string = thread_->lookup("String");
    if (!string) return;
    Reference* nil = thread_->lookup("nil");
    if (!nil) return;
    // The parent evaluation, whose text the source view points into, outlives the child.
    CharStream code = source_ == codeText_ ? CharStream::view(unquote(source_)) : CharStream::copy(unquote(codeText_));
    runSynchronously(*thread_, std::move(code), parameters_, string->target(), nil->target(), targetName_);
}

void AsynchronousReferenceEvaluationStatement::execute() {
    Reference* string = thread_->lookup("String");
    if (!string || !thread_->lookup("nil")) return;
    StringObject* code = codeOf(*thread_, referenceName_);
    if (!code) return;
    runAsynchronously(*thread_, unquote(code->text()), parameters_, string->target());
}

void AsynchronousStringEvaluationStatement::execute() {
    Reference* string = thread_->lookup("String");
    if (!string || !thread_->lookup("nil")) return;
    runAsynchronously(*thread_, unquote(codeText_), parameters_, string->target());
}
