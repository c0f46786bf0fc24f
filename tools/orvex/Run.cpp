// orvex run.
#include "tools/orvex/Run.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/Memory.h"
#include "tools/orvex/Input.h"
#include "tools/orvex/Tracer.h"
#include "vm/runtime/Code.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Runtime.h"
#include "vm/runtime/ThreadPool.h"

namespace {

constexpr int ranClean = 0;
constexpr int stoppedSilently = 1;
constexpr int unreadable = 2;
constexpr int limitReached = 3;

const char* const runUsage =
    "usage: orvex run [-o OUTPUT] [--quiet] [--max-statements N] [--max-memory SIZE] "
    "FILE | -e TEXT | -\n";

struct RunOptions {
    const char* file = nullptr; // "-": standard input
    const char* text = nullptr; // -e
    const char* outputName = nullptr;
    bool quiet = false;
    std::uint64_t maxStatements = 0;
    std::size_t maxMemory = 0;
};

// What the program prints, as it prints it: at once on a terminal, buffered into a file or a pipe.
struct Output {
    std::FILE* file;
    bool terminal;
};

void writeOutput(void* user, const char* bytes, std::size_t size) {
    auto* output = static_cast<Output*>(user);
    std::fwrite(bytes, 1, size, output->file);
    if (output->terminal) std::fflush(output->file);
}

int badArgument(const char* what, const char* argument) {
    std::fprintf(stderr, "orvex: run: %s '%s'\n%s", what, argument, runUsage);
    return unreadable;
}

int run(const RunOptions& options) {
    std::FILE* outputFile = options.outputName ? std::fopen(options.outputName, "w") : stdout;
    if (!outputFile) {
        std::fprintf(stderr, "orvex: %s: cannot write: %s\n", options.outputName, std::strerror(errno));
        return unreadable;
    }
    Output output{outputFile, isTerminal(outputFile)};
    const std::string name = options.text ? "-e" : options.file;
    TraceOptions traceOptions;
    traceOptions.stopsOnly = true;
    traceOptions.runForm = true;
    traceOptions.quiet = options.quiet;
    Tracer tracer(name, stderr, traceOptions);
    int status = ranClean;
    {
        Runtime runtime;
        Runtime::Use use(runtime); // the tracer reads the image with the runtime's parser too
        runtime.setObserver(&tracer);
        runtime.setOutput(writeOutput, &output);
        runtime.setLimits(options.maxStatements, options.maxMemory);
        std::string image;
        bool read = true;
        if (options.text)
            image = options.text;
        else
            read = readInput(name, image, stderr);
        if (!read) {
            status = unreadable;
        } else {
            Runtime::Status ended = runtime.load(tracer.useImage(std::move(image)).image().text);
            if (ended == Runtime::Status::Finished) {
                tracer.imageRunsFrom(runtime.pool().mainEvaluation()->code()->text());
                ended = runtime.resume();
            }
            switch (ended) {
            case Runtime::Status::Finished:
                tracer.afterRun(runtime.pool());
                status = tracer.stops() ? stoppedSilently : ranClean;
                break;
            case Runtime::Status::StatementLimit:
                std::fprintf(stderr, "orvex: the run ends after %llu statements (--max-statements)\n",
                             static_cast<unsigned long long>(options.maxStatements));
                status = limitReached;
                break;
            default:
                tracer.memoryLimit(options.maxMemory, runtime.pool().thread()->depth() - 1);
                status = limitReached;
                break;
            }
        }
    }
    if (outputFile != stdout)
        std::fclose(outputFile);
    else
        std::fflush(stdout);
    return status;
}

} // namespace

bool parseCount(const char* text, std::uint64_t& count) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno || end == text || *end || text[0] == '-' || value == 0) return false;
    count = value;
    return true;
}

// "512M", "4G", "1.5G", "65536": bytes, with a binary K, M, G or T.
bool parseSize(const char* text, std::size_t& bytes) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (errno || end == text || !(value > 0)) return false;
    double unit = 1;
    switch (*end) {
    case 'K':
    case 'k':
        unit = 1024.0, ++end;
        break;
    case 'M':
    case 'm':
        unit = 1024.0 * 1024, ++end;
        break;
    case 'G':
    case 'g':
        unit = 1024.0 * 1024 * 1024, ++end;
        break;
    case 'T':
    case 't':
        unit = 1024.0 * 1024 * 1024 * 1024, ++end;
        break;
    default:
        break;
    }
    if (*end == 'B' || *end == 'b') ++end;
    const double total = value * unit;
    if (*end || total >= 1.8e19) return false;
    bytes = static_cast<std::size_t>(total);
    return bytes != 0;
}

bool isTerminal(std::FILE* file) {
#ifdef _WIN32
    return _isatty(_fileno(file)) != 0;
#else
    return isatty(fileno(file)) != 0;
#endif
}

std::size_t defaultMemoryLimit() {
    const std::size_t memory = physicalMemory();
    return memory != 0 ? memory / 2 : std::size_t{4} << 30;
}

int runCommand(int argc, char** argv) {
    RunOptions options;
    options.maxMemory = defaultMemoryLimit();
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (argument == "-o" && next) {
            options.outputName = argv[++i];
        } else if (argument == "-e" && next && !options.file && !options.text) {
            options.text = argv[++i];
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--max-statements" && next) {
            if (!parseCount(argv[++i], options.maxStatements))
                return badArgument("--max-statements takes a count above 0, not", argv[i]);
        } else if (argument == "--max-memory" && next) {
            if (!parseSize(argv[++i], options.maxMemory))
                return badArgument("--max-memory takes a size such as 512M or 4G, not", argv[i]);
        } else if (!options.file && !options.text && (argument == "-" || argument[0] != '-')) {
            options.file = argv[i];
        } else {
            return badArgument("unexpected", argv[i]);
        }
    }
    if (!options.file && !options.text) {
        std::fprintf(stderr, "orvex: run needs a FILE, -e TEXT or -\n%s", runUsage);
        return unreadable;
    }
    return run(options);
}
