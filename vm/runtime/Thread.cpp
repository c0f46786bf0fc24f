// The interpreter thread.
#include "vm/runtime/Thread.h"

#include "vm/runtime/ThreadPool.h"

Thread::Thread(ThreadPool* pool) : pool_(pool) {
    contexts_.push();
}

Thread::~Thread() {
    while (contexts_.size() != 0)
        dropTop();
}

std::string& Thread::answerBuffer() const {
    return pool_->answerBuffer();
}

void Thread::pushNewContext() {
    contexts_.push();
}

void Thread::popContext() {
    if (contexts_.size() > 1) dropTop();
}

void Thread::dropTop() {
    currentContext().unbindAll();
    contexts_.pop();
}

Reference* Thread::madeReference(const Symbol& name) const {
    return contextOf(name)->getReference(name);
}

Object* Thread::madeObject(const Symbol& name) const {
    return madeReference(name)->target();
}
