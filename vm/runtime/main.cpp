// OrvexVM: runs one program image and writes the closing line.
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

int main(int argc, char** argv) {
    // The process-wide objects, in the order they are made and, reversed, destroyed.
    Heap& heap = Heap::instance();
    {
        OrvexOutput output("Orvex.out");
        heap.setSystem(heap.make<Object>());
        try {
            ThreadPool pool(&output);
            pool.load(argc == 2 ? argv[1] : "image.Orvex");
            pool.run();
            writeClosingLine();
        } catch (const std::bad_alloc&) {
            // Out of memory is the one thing a program can do that the interpreter cannot carry on
            // from; the run still ends the way every run ends.
            writeClosingLine();
        }
        heap.system()->kill();
    }
    heap.clear();
    return 0;
}
