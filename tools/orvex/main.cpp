// orvex: the companion of OrvexVM: runs a program where a programmer looks, and says why a program
// printed nothing.
//   orvex run FILE | -e TEXT | -                 runs it: output on standard output, stops on standard error
//   orvex check FILE...                          where reading stops, and why
//   orvex trace FILE [-o TRACE] [--stops] [--limit N]   runs it, saying what runs and what stops
//   orvex lsp                                    a language server for editors, on standard input and output
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <csignal>
#include <unistd.h>
#endif

#include "tools/orvex/Checker.h"
#include "tools/orvex/Input.h"
#include "tools/orvex/Lsp.h"
#include "tools/orvex/Repl.h"
#include "tools/orvex/Run.h"
#include "tools/orvex/Tracer.h"
#include "vm/runtime/ClosingLine.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Runtime.h"
#include "vm/runtime/ThreadPool.h"

namespace {

// Exit statuses.
constexpr int clean = 0;
constexpr int hasErrors = 1;
constexpr int unreadable = 2; // a file that cannot be read, or a command line that makes no sense

const char* const usage =
    "usage: orvex repl [--max-memory SIZE]\n"
    "       orvex run [-o OUTPUT] [--quiet] [--max-statements N] [--max-memory SIZE] FILE | -e TEXT | -\n"
    "       orvex check FILE...\n"
    "       orvex trace FILE [-o TRACE] [--stops] [--limit N]\n"
    "       orvex lsp\n"
    "       orvex --help | --version\n";

const char* const help =
    "orvex: runs Orvex programs, and says why one printed nothing.\n"
    "\n"
    "orvex run [-o OUTPUT] [--quiet] [--max-statements N] [--max-memory SIZE] FILE | -e TEXT | -\n"
    "    Runs the image in FILE, the program TEXT, or standard input, as OrvexVM runs it, but what\n"
    "    it prints goes to standard output as it is printed (to OUTPUT with -o), and each statement\n"
    "    that stops without a word is named on standard error, FILE:LINE: stop: REASON (--quiet\n"
    "    leaves them out). --max-statements ends the run after N statements; --max-memory after\n"
    "    SIZE bytes (512M, 4G), half of the machine's memory unless given, so that a runaway program\n"
    "    ends with a message. Exit status: 0 ran with no stop, 1 some statement stopped, 2 the input\n"
    "    cannot be read, 3 a limit was reached.\n"
    "\n"
    "orvex repl [--max-memory SIZE]   (or orvex alone, on a terminal)\n"
    "    A prompt: each entry runs as soon as it is complete, in one world, so what an entry binds\n"
    "    stays for the next. An entry whose brackets are open goes on on the next line. Line editing\n"
    "    and history (~/.orvex_history); Ctrl-C stops an entry that runs, Ctrl-D or :quit ends the\n"
    "    session, :help, :load FILE, :reset (a new world). From a pipe, entry by entry, no prompt.\n"
    "\n"
    "orvex check FILE...\n"
    "    Reads each image as OrvexVM would and runs nothing. Writes to standard error one line per\n"
    "    finding, FILE:LINE:COLUMN: error|warning: MESSAGE (columns in bytes): where the program\n"
    "    stops being read and why, characters that start no token, comments and bracketed names\n"
    "    left open. A bracketed name holding statements is checked as code too; what is wrong in it\n"
    "    is a warning, since that text may never run. FILE '-' is standard input.\n"
    "    Exit status: 0 without errors, 1 with errors, 2 when a file cannot be read.\n"
    "\n"
    "orvex trace FILE [-o TRACE] [--stops] [--limit N]\n"
    "    Runs the image exactly as OrvexVM does (the same Orvex.out and closing line) and writes\n"
    "    the trace to standard error, or to TRACE. One line per statement run,\n"
    "        WHERE: EVALUATION: STATEMENT\n"
    "    and one per silent stop,\n"
    "        WHERE: EVALUATION: stop: REASON\n"
    "    WHERE is FILE:LINE, also for code written as a bracketed name in the image, or the first\n"
    "    bytes of a text made while running. EVALUATION is main, async N (the Nth asynchronous\n"
    "    evaluation), with +D for a synchronous child D calls deep. Comments are statements too,\n"
    "    and shown. The run has the memory limit of orvex run.\n"
    "    --stops   only the stops, each with its statement\n"
    "    --limit N end the run after N statements (a program that never ends can be traced)\n"
    "\n"
    "orvex lsp\n"
    "    A language server for editors, on standard input and output: the findings of orvex check\n"
    "    as diagnostics while a program is typed, hover for the primitives, the operations of\n"
    "    <invoke> and the names a program binds, go to definition, document symbols, completion.\n";

int checkFiles(const std::vector<std::string>& files) {
    // Nothing runs, but the parser names what it reads in a runtime's symbols.
    Runtime runtime;
    Runtime::Use use(runtime);
    int status = clean;
    for (const std::string& file : files) {
        std::string image;
        if (!readInput(file, image, stderr)) {
            status = unreadable;
            continue;
        }
        if (checkImage(file, std::move(image), stderr) && status == clean) status = hasErrors;
    }
    return status;
}

int traceFile(const std::string& file, const char* traceName, TraceOptions options) {
    std::FILE* out = traceName ? std::fopen(traceName, "w") : stderr;
    if (!out) {
        std::fprintf(stderr, "orvex: %s: cannot write: %s\n", traceName, std::strerror(errno));
        return unreadable;
    }
    Tracer tracer(file, out, options);
    bool read = false;
    {
        Runtime runtime;
        Runtime::Use use(runtime); // the tracer reads the image with the runtime's parser too
        runtime.setObserver(&tracer);
        runtime.setLimits(options.limit, defaultMemoryLimit());
        // The image is read after "Orvex.out" is made, as OrvexVM reads it.
        runtime.openOutput();
        std::string image;
        read = readInput(file, image, out, "; nothing runs");
        if (read)
            if (runtime.load(tracer.useImage(std::move(image)).image().text) == Runtime::Status::Finished) {
                tracer.imageRunsFrom(runtime.pool().mainEvaluation()->code()->text());
                const Runtime::Status status = runtime.resume();
                if (status == Runtime::Status::StatementLimit)
                    std::fprintf(out, "orvex: the trace ends after %llu statements (--limit)\n",
                                 static_cast<unsigned long long>(options.limit));
                else if (status == Runtime::Status::Finished)
                    tracer.afterRun(runtime.pool());
                else
                    tracer.memoryLimit(defaultMemoryLimit(), runtime.pool().thread()->depth() - 1);
            }
    }
    writeClosingLine();
    if (out != stderr) std::fclose(out);
    return read ? clean : unreadable;
}

int trace(int argc, char** argv) {
    const char* file = nullptr;
    const char* traceName = nullptr;
    TraceOptions options;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-o" && i + 1 < argc) {
            traceName = argv[++i];
        } else if (argument == "--stops") {
            options.stopsOnly = true;
        } else if (argument == "--limit" && i + 1 < argc) {
            if (!parseCount(argv[++i], options.limit)) {
                std::fprintf(stderr, "orvex: --limit takes a count above 0, not '%s'\n%s", argv[i], usage);
                return unreadable;
            }
        } else if (!file && (argument == "-" || argument[0] != '-')) {
            file = argv[i];
        } else {
            std::fprintf(stderr, "orvex: trace: unexpected '%s'\n%s", argv[i], usage);
            return unreadable;
        }
    }
    if (!file) {
        std::fprintf(stderr, "orvex: trace needs a FILE\n%s", usage);
        return unreadable;
    }
    return traceFile(file, traceName, options);
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "--help" || command == "-h") {
        std::fputs(help, stdout);
        return clean;
    }
    if (command == "--version") {
        std::printf("orvex %s\n", ORVEX_VERSION);
        return clean;
    }
    if (command == "check" && argc > 2) return checkFiles(std::vector<std::string>(argv + 2, argv + argc));
    if (command == "trace") return trace(argc, argv);
    if (command == "run") return runCommand(argc - 2, argv + 2);
#ifdef ORVEX_LSP
    if (command == "lsp" && argc == 2) {
        // The protocol's bytes exactly; a client that goes away is an end of input, not a signal.
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);
        _setmode(_fileno(stdout), _O_BINARY);
#else
        std::signal(SIGPIPE, SIG_IGN);
#endif
        return serveLanguage(stdin, stdout);
    }
#endif
    if (command == "repl" || (argc == 1 && isatty(fileno(stdin))))
        return replCommand(argc > 1 ? argc - 2 : 0, argv + 2);
    std::fputs(usage, stderr);
    return unreadable;
}
