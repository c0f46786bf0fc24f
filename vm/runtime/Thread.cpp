// The interpreter thread.
#include "vm/runtime/Thread.h"

Thread::Thread(ThreadPool* pool) : pool_(pool) {
    contexts_.emplace_back();
}

Thread::~Thread() {
    while (!contexts_.empty())
        dropTop();
}

void Thread::pushNewContext() {
    contexts_.emplace_back();
}

void Thread::popContext() {
    if (contexts_.size() > 1) dropTop();
}

void Thread::dropTop() {
    currentContext().unbindAll();
    contexts_.pop_back();
}
