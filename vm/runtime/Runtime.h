// A runtime: one world and everything its runs hold (memory, symbols, objects, the interpreter
// thread, the pooled evaluations, the output), apart from every other runtime in the process. A run
// is what OrvexVM does with an image: the main evaluation to its end, then the pooled evaluations
// until none is left or all wait. Successive runs share the world: what one binds in the global
// context, the next sees.
//
// A runtime is used by one OS thread at a time; while a call runs, it is the runtime in use on that
// thread (`Use`), which the parts below reach without a pointer of their own. Its parts are never
// destroyed one by one: every byte they hold comes from its allocator, which gives its memory back
// whole, so a run cut anywhere, even inside a statement, leaves nothing that freeing could trip over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vm/memory/SmallAllocator.h"
#include "vm/runtime/OrvexOutput.h"

class Context;
class Heap;
class RunObserver;
class SymbolTable;
class ThreadPool;

class Runtime {
  public:
    // The order of the C API's statuses.
    enum class Status { Finished, StatementLimit, MemoryLimit, Interrupted, CannotRead, Invalid };

    // The world built. Throws std::bad_alloc when there is no memory for it.
    Runtime();
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // Where <print> writes: to write, with user; null for "Orvex.out" in the working directory,
    // made at the first run that needs it.
    void setOutput(OrvexOutput::Write write, void* user) { output_.setWriter(write, user); }
    // Statements per run or resume, and bytes held in all; 0 for no limit.
    void setLimits(std::uint64_t statements, std::size_t bytes);
    // A tool's watcher of the runs (RunObserver.h); null for none.
    void setObserver(RunObserver* observer) { observer_ = observer; }

    // A run of the image in the file at path, line ends as read from any platform. The output file
    // is made first, even when the image cannot be read (CannotRead: nothing runs, errno says why).
    Status runFile(const char* path);
    // A run of text, read as an image is.
    Status runText(std::string_view text);
    // The first halves of those: the image read and made the next run's main evaluation (a cut
    // one dropped), nothing run yet; Finished when it is ready for resume().
    Status loadFile(const char* path);
    Status load(std::string_view text);
    // Makes "Orvex.out" now, unless output goes to a writer: a tool that reads the image itself
    // does it first, as a run does.
    void openOutput();
    // Goes on with a run cut by a limit of statements or an interrupt, as if it had not been cut.
    // Finished at once when nothing is left to run.
    Status resume();
    // Asks the run under way to stop before its next statement. From any OS thread.
    void interrupt();
    // Drops what a cut run left to do, its asynchronous evaluations included (a prompt does this when
    // the user stops an entry); what it bound stays.
    void abandon();

    std::size_t bytesHeld() const { return memory_.bytesHeld(); }
    ThreadPool& pool() const { return *pool_; }
    Context globalContext() const;

    // Makes runtime the one in use on this OS thread for the length of a scope, and puts back the
    // one before (several runtimes may take turns on one thread).
    class Use {
      public:
        explicit Use(Runtime& runtime);
        ~Use();
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

      private:
        SmallAllocator* memory_;
        SymbolTable* symbols_;
        Heap* heap_;
        RunObserver* observer_;
    };

  private:
    Status go();
    template <class T, class... Args> T* makePart(Args&&... args);

    SmallAllocator memory_; // first made and last gone: every part below lives in it
    OrvexOutput output_;
    // Where <invoke> writes its answers, kept from call to call (Thread::answerBuffer). A member,
    // since nothing in the runtime's memory is destroyed one by one.
    std::string answers_;
    SymbolTable* symbols_ = nullptr;
    Heap* heap_ = nullptr;
    ThreadPool* pool_ = nullptr;
    RunObserver* observer_ = nullptr;
    bool spent_ = false;
    bool running_ = false; // a call from the output writer back into its own runtime is refused
};
