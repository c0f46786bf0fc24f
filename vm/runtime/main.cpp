// OrvexVM: runs one program image and writes the closing line.
#include "vm/runtime/Run.h"
#include "vm/runtime/ThreadPool.h"

int main(int argc, char** argv) {
    const char* image = argc == 2 ? argv[1] : "image.Orvex";
    runProgram([image](ThreadPool& pool) { pool.load(image); });
    return 0;
}
