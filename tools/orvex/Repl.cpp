// orvex repl: a prompt where each entry runs at once in one runtime, so what an entry binds stays for
// the next.
#include "tools/orvex/Repl.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#ifdef ORVEX_LINE_EDITING
#include <editline/readline.h>
#endif

#include "tools/orvex/Input.h"
#include "tools/orvex/Run.h"
#include "tools/orvex/SourceText.h"
#include "tools/orvex/Tracer.h"
#include "vm/runtime/Code.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Runtime.h"
#include "vm/runtime/ThreadPool.h"

namespace {

const char* const replHelp =
    "Each entry runs as soon as it is complete: a statement ends with ';', and an entry whose\n"
    "brackets or comment are still open goes on on the next line (an empty line runs it as it\n"
    "stands). What an entry binds stays for the next ones.\n"
    "  :load FILE   runs the image in FILE here\n"
    "  :reset       starts afresh, with a new world\n"
    "  :quit        ends the session (so does Ctrl-D); Ctrl-C stops an entry that runs\n";

// The runtime a Ctrl-C stops: only the flag it sets is touched from the signal handler.
std::atomic<Runtime*> running{nullptr};

extern "C" void interruptRun(int) {
    if (Runtime* runtime = running.load()) runtime->interrupt();
}

void writeOutput(void*, const char* bytes, std::size_t size) {
    std::fwrite(bytes, 1, size, stdout);
    std::fflush(stdout);
}

// Lines from the terminal, edited and remembered, or from a pipe as they come.
class Lines {
  public:
    explicit Lines(bool interactive) : interactive_(interactive) {
#ifdef ORVEX_LINE_EDITING
        if (interactive_) {
            if (const char* home = std::getenv("HOME")) history_ = std::string(home) + "/.orvex_history";
            if (!history_.empty()) read_history(history_.c_str());
        }
#endif
    }
    ~Lines() {
#ifdef ORVEX_LINE_EDITING
        if (interactive_ && !history_.empty()) write_history(history_.c_str());
#endif
    }
    Lines(const Lines&) = delete;
    Lines& operator=(const Lines&) = delete;

    // False at the end of the input.
    bool read(const char* prompt, std::string& line) {
#ifdef ORVEX_LINE_EDITING
        if (interactive_) {
            char* read = readline(prompt);
            if (!read) return false;
            line = read;
            std::free(read);
            return true;
        }
#else
        if (interactive_) {
            std::fputs(prompt, stdout);
            std::fflush(stdout);
        }
#endif
        line.clear();
        for (int ch; (ch = std::fgetc(stdin)) != EOF;) {
            if (ch == '\n') return true;
            line.push_back(static_cast<char>(ch));
        }
        return !line.empty();
    }
    // An entry once it is complete, as one line of the history.
    void remember(const std::string& entry) {
#ifdef ORVEX_LINE_EDITING
        if (interactive_ && !entry.empty()) add_history(entry.c_str());
#else
        (void)entry;
#endif
    }

  private:
    bool interactive_;
    std::string history_;
};

class Session {
  public:
    explicit Session(std::size_t maxMemory) : maxMemory_(maxMemory) { reset(); }

    void reset() {
        runtime_ = std::make_unique<Runtime>();
        runtime_->setOutput(writeOutput, nullptr);
        runtime_->setLimits(0, maxMemory_);
    }

    // Runs text as the next entry, its stops told on standard error under name.
    void run(const std::string& name, std::string text) {
        TraceOptions options;
        options.stopsOnly = options.runForm = true;
        Tracer tracer(name, stderr, options);
        Runtime::Use use(*runtime_);
        runtime_->setObserver(&tracer);
        Runtime::Status status = runtime_->load(tracer.useImage(std::move(text)).image().text);
        if (status == Runtime::Status::Finished) {
            tracer.imageRunsFrom(runtime_->pool().mainEvaluation()->code()->text());
            running.store(runtime_.get());
            status = runtime_->resume();
            running.store(nullptr);
        }
        if (status == Runtime::Status::Interrupted) {
            // What the entry started stops with it: an evaluation that restarts itself would
            // otherwise take up every later entry.
            runtime_->abandon();
            std::fputs("\norvex: interrupted; the session goes on\n", stderr);
        } else if (status == Runtime::Status::MemoryLimit) {
            tracer.memoryLimit(maxMemory_, runtime_->pool().thread()->depth() - 1);
            std::fputs("orvex: the session starts afresh, with a new world\n", stderr);
        }
        runtime_->setObserver(nullptr);
        if (status == Runtime::Status::MemoryLimit) reset();
    }

  private:
    std::size_t maxMemory_;
    std::unique_ptr<Runtime> runtime_;
};

// Whether text is a whole entry: nothing left open, and no statement cut off at its end.
bool complete(const std::string& text) {
    const TextReading reading = readText(text);
    if (reading.unfinished) return false;
    return !(reading.found == Token::End && !reading.readAgain && !reading.cleanEnd());
}

std::string trimmed(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

int replCommand(int argc, char** argv) {
    std::size_t maxMemory = defaultMemoryLimit();
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--max-memory") == 0 && i + 1 < argc && parseSize(argv[i + 1], maxMemory)) {
            ++i;
        } else {
            std::fprintf(stderr, "orvex: repl: unexpected '%s'\nusage: orvex repl [--max-memory SIZE]\n",
                         argv[i]);
            return 2;
        }
    }
    const bool interactive = isTerminal(stdin);
    if (interactive) std::printf("orvex %s: type :help for help, Ctrl-D to leave\n", ORVEX_VERSION);
    std::signal(SIGINT, interruptRun);
    Session session(maxMemory);
    {
        // A runtime in use for the parser that tells whether an entry is complete.
        Runtime reader;
        Runtime::Use use(reader);
        Lines lines(interactive);
        std::string entry, line;
        int entries = 0;
        while (lines.read(entry.empty() ? "orvex> " : "  ...> ", line)) {
            const std::string command = entry.empty() ? trimmed(line) : "";
            if (command == ":quit") break;
            if (command == ":help") {
                std::fputs(replHelp, stdout);
                continue;
            }
            if (command == ":reset") {
                session.reset();
                continue;
            }
            if (command.rfind(":load ", 0) == 0) {
                const std::string file = trimmed(command.substr(6));
                std::string image;
                if (readInput(file, image, stderr)) session.run(file, std::move(image));
                continue;
            }
            entry += line;
            entry += '\n';
            if (!complete(entry) && !trimmed(line).empty()) continue;
            lines.remember(entry.substr(0, entry.size() - 1));
            session.run("entry " + std::to_string(++entries), std::move(entry));
            entry.clear();
        }
        if (!trimmed(entry).empty()) session.run("entry " + std::to_string(++entries), std::move(entry));
    }
    if (interactive) std::fputc('\n', stdout);
    return 0;
}
