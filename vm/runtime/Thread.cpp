// The interpreter thread.
#include "vm/runtime/Thread.h"

Thread::Thread(ThreadPool* pool) : pool_(pool) {
    contexts_.emplace_back(index_, 0);
}

Thread::~Thread() {
    while (!contexts_.empty())
        contexts_.pop_back();
}

void Thread::pushNewContext() {
    contexts_.emplace_back(index_, contexts_.size());
}

void Thread::popContext() {
    if (contexts_.size() > 1) contexts_.pop_back();
}
