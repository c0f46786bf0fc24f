// One run of a program image, from the output file to the closing line.
#include "vm/runtime/Run.h"

#include <cstdio>
#include <new>

#include "vm/object/Heap.h"
#include "vm/object/Object.h"
#include "vm/runtime/OrvexOutput.h"
#include "vm/runtime/ThreadPool.h"

namespace {

void writeClosingLine() {
    for (const char* line : {"\n", "\n", "Se acabo...\n", "\n"}) {
        std::fputs(line, stdout);
        std::fflush(stdout);
    }
}

} // namespace

void runProgram(const std::function<void(ThreadPool&)>& load, const std::function<void(ThreadPool&)>& afterRun) {
    // The process-wide objects, in the order they are made and, reversed, destroyed.
    Heap& heap = Heap::instance();
    {
        OrvexOutput output("Orvex.out");
        heap.setSystem(heap.make<Object>());
        try {
            ThreadPool pool(&output);
            load(pool);
            pool.run();
            if (afterRun) afterRun(pool);
            writeClosingLine();
        } catch (const std::bad_alloc&) {
            // Out of memory is the one thing a program can do that the interpreter cannot carry on
            // from; the run still ends the way every run ends.
            writeClosingLine();
        } catch (const RunCut&) {
            writeClosingLine();
        }
        heap.system()->kill();
    }
    heap.clear();
}
