// Micro-benchmarks of the interpreter's hot paths: name lookup at depth, member lookup, one step,
// and a runtime's whole life.
#include <benchmark/benchmark.h>

#include "operations/Operations.h"
#include "orvex/orvex.h"
#include "vm/object/Heap.h"
#include "vm/object/StringObject.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Reference.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/Runtime.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/runtime/World.h"
#include "vm/text/Lexer.h"

namespace {

// A fresh runtime, in use, and its interpreter thread, as a run has them.
struct World {
    World() : use(runtime), thread(runtime.pool().thread()) {}
    Runtime runtime;
    Runtime::Use use;
    Thread* thread;
};

// A global name looked up under `depth` pushed contexts: the cost must not grow with depth.
void lookupGlobalUnderContexts(benchmark::State& state) {
    World world;
    Thread* thread = world.thread;
    Object* nil = thread->lookup("nil")->target();
    for (int64_t i = 0; i < state.range(0); ++i) {
        thread->pushNewContext();
        thread->currentContext().addReference("params", nil);
    }
    for (auto _ : state) benchmark::DoNotOptimize(thread->lookup("String"));
    while (thread->depth() > 1) thread->popContext();
}
BENCHMARK(lookupGlobalUnderContexts)->Arg(1)->Arg(1000)->Arg(1000000);

// Inherited member lookup from a string literal up to nil.
void lookupInheritedMember(benchmark::State& state) {
    World world;
    Thread* thread = world.thread;
    StringObject* literal = makeLiteralObject(intern("<x>"), thread->lookup("String")->target());
    const Symbol& print = intern("<print>");
    for (auto _ : state) benchmark::DoNotOptimize(literal->lookupMember(print));
}
BENCHMARK(lookupInheritedMember);

// One statement, parsed and executed: an assignment in the global context.
void stepAssignments(benchmark::State& state) {
    World world;
    Thread* thread = world.thread;
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "x <- nil ; ";
    for (auto _ : state) {
        state.PauseTiming();
        RootEvaluation evaluation(CharStream::view(text), thread);
        state.ResumeTiming();
        while (!evaluation.finished()) evaluation.step();
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(stepAssignments)->Unit(benchmark::kMillisecond);

// A new string object under a new key: the registry's insert, among as many entries as iterations.
void makeRegisteredObjects(benchmark::State& state) {
    World world;
    Object* string = world.thread->lookup("String")->target();
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(makeLiteralObject(intern("<" + std::to_string(n++) + ">"), string));
}
BENCHMARK(makeRegisteredObjects)->Iterations(500000);

// Tokens of names, arrows, a comment and bracketed names with and without an escape.
void lexTokens(benchmark::State& state) {
    World world;
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "q <- <a literal, -> arrows and an escaped \\< bracket> ; \\* note \\* m <- o : <val> ;\n";
    for (auto _ : state) {
        CharStream input = CharStream::view(text);
        Lexer lexer(input);
        while (lexer.getToken() != Token::End) lexer.nextToken();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(lexTokens)->Unit(benchmark::kMillisecond);

// What a host pays for a fresh world: a runtime made, a one-statement program run in it, the runtime
// freed.
void createRunFree(benchmark::State& state) {
    static const char text[] = "x <- <1> ;";
    for (auto _ : state) {
        orvex_runtime* runtime = orvex_new();
        orvex_set_output(runtime, [](void*, const char*, size_t) {}, nullptr);
        orvex_run_text(runtime, text, sizeof text - 1);
        orvex_free(runtime);
    }
}
BENCHMARK(createRunFree)->Unit(benchmark::kMicrosecond);

void addIntegers(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(applyOperation("String", "<+>", "<12345>", "<1>"));
}
BENCHMARK(addIntegers);

} // namespace

BENCHMARK_MAIN();
