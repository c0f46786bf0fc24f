// OrvexVM: runs one program image and writes the closing line.
#include <cstdio>

#include "orvex/orvex.h"
#include "platform/Memory.h"
#include "vm/runtime/ClosingLine.h"

// Whatever happens, a run ends the same way: the closing line and status 0. Out of memory is no
// exception: the run ends there, "Orvex.out" holding what was printed.
int main(int argc, char** argv) {
    const char* image = argc == 2 ? argv[1] : "image.Orvex";
    keepFreedMemoryForReuse();
    if (orvex_runtime* runtime = orvex_new()) {
        orvex_run_file(runtime, image);
        orvex_free(runtime);
    } else if (std::FILE* output = std::fopen("Orvex.out", "w")) {
        std::fclose(output);
    }
    writeClosingLine();
    return 0;
}
