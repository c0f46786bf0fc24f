// Runtimes: their parts, their runs, and the cuts that end a run early.
#include "vm/runtime/Runtime.h"

#include <exception>
#include <new>
#include <utility>

#include "vm/object/Heap.h"
#include "vm/object/Object.h"
#include "vm/runtime/Context.h"
#include "vm/runtime/ImageFile.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/runtime/World.h"
#include "vm/symbols/Symbol.h"

namespace {

constexpr const char* outputFileName = "Orvex.out";

// Marks a runtime busy for the length of a call.
class Busy {
  public:
    explicit Busy(bool& flag) : flag_(flag) { flag_ = true; }
    ~Busy() { flag_ = false; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

  private:
    bool& flag_;
};

} // namespace

Runtime::Use::Use(Runtime& runtime)
    : memory_(SmallAllocator::exchangeCurrent(&runtime.memory_)),
      symbols_(SymbolTable::exchangeCurrent(runtime.symbols_)), heap_(Heap::exchangeCurrent(runtime.heap_)),
      observer_(ThreadPointer<RunObserver>::exchange(runtime.observer_)) {}

Runtime::Use::~Use() {
    SmallAllocator::exchangeCurrent(memory_);
    SymbolTable::exchangeCurrent(symbols_);
    Heap::exchangeCurrent(heap_);
    ThreadPointer<RunObserver>::exchange(observer_);
}

// A part lives in the runtime's memory and is never destroyed: it goes with the memory.
template <class T, class... Args> T* Runtime::makePart(Args&&... args) {
    return new (SmallAllocator::allocate(sizeof(T))) T(std::forward<Args>(args)...);
}

Runtime::Runtime() {
    Use use(*this);
    symbols_ = makePart<SymbolTable>();
    SymbolTable::exchangeCurrent(symbols_);
    heap_ = makePart<Heap>();
    Heap::exchangeCurrent(heap_);
    pool_ = makePart<ThreadPool>(&output_, &answers_);
    heap_->setSystem(heap_->make<Object>());
    buildWorld(pool_->globalContext());
}

Runtime::~Runtime() = default;

void Runtime::setLimits(std::uint64_t statements, std::size_t bytes) {
    pool_->setStatementLimit(statements);
    memory_.setLimit(bytes);
}

void Runtime::interrupt() {
    pool_->interrupt();
}

void Runtime::abandon() {
    if (running_ || spent_) return;
    Use use(*this);
    pool_->abandon();
}

Context Runtime::globalContext() const {
    return pool_->globalContext();
}

void Runtime::openOutput() {
    output_.open(outputFileName);
}

Runtime::Status Runtime::loadFile(const char* path) {
    if (running_ || !path) return Status::Invalid;
    if (spent_) return Status::MemoryLimit;
    Use use(*this);
    openOutput();
    try {
        Text image;
        if (!readImageFile(path, image)) return Status::CannotRead;
        pool_->startMain(CharStream::adopt(std::move(image)));
    } catch (const std::exception&) {
        // The image did not fit: nothing of the world changed, so the runtime stays usable.
        return Status::MemoryLimit;
    }
    return Status::Finished;
}

Runtime::Status Runtime::load(std::string_view text) {
    if (running_) return Status::Invalid;
    if (spent_) return Status::MemoryLimit;
    Use use(*this);
    openOutput();
    try {
        Text image(text);
        keepLineFeeds(image);
        pool_->startMain(CharStream::adopt(std::move(image)));
    } catch (const std::exception&) {
        return Status::MemoryLimit;
    }
    return Status::Finished;
}

Runtime::Status Runtime::runFile(const char* path) {
    const Status loaded = loadFile(path);
    return loaded == Status::Finished ? resume() : loaded;
}

Runtime::Status Runtime::runText(std::string_view text) {
    const Status loaded = load(text);
    return loaded == Status::Finished ? resume() : loaded;
}

Runtime::Status Runtime::resume() {
    if (running_) return Status::Invalid;
    if (spent_) return Status::MemoryLimit;
    Use use(*this);
    Busy busy(running_);
    openOutput();
    return go();
}

// Running out of memory is the one thing a program can do that the runtime cannot carry on from:
// a statement may have stopped halfway. The runtime is spent, and still frees cleanly.
Runtime::Status Runtime::go() {
    Status status = Status::Finished;
    try {
        switch (pool_->run()) {
        case ThreadPool::Outcome::Finished:
            status = Status::Finished;
            break;
        case ThreadPool::Outcome::StatementLimit:
            status = Status::StatementLimit;
            break;
        case ThreadPool::Outcome::Interrupted:
            status = Status::Interrupted;
            break;
        }
    } catch (...) {
        spent_ = true;
        status = Status::MemoryLimit;
    }
    output_.flush();
    return status;
}
