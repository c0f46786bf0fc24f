// A runtime of its own per test, in use for the test's length, with helpers to run program text.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "vm/object/Heap.h"
#include "vm/object/Object.h"
#include "vm/runtime/Context.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Reference.h"
#include "vm/runtime/Runtime.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"

class WorldFixture : public ::testing::Test {
  protected:
    WorldFixture() : runtime_(std::make_unique<Runtime>()), use_(std::make_unique<Runtime::Use>(*runtime_)) {
        runtime_->setOutput([](void* printed, const char* bytes,
                               std::size_t size) { static_cast<std::string*>(printed)->append(bytes, size); },
                            &printed_);
        pool_ = &runtime_->pool();
    }

    // Runs text as a run does: as the main evaluation, then the pool; returns what was printed.
    std::string run(const std::string& text) {
        runtime_->runText(text);
        return printed_;
    }
    std::string printed() const { return printed_; }

    Thread* thread() { return pool_->thread(); }
    Object* global(const char* name) { return pool_->globalContext().getReference(name)->target(); }

    std::unique_ptr<Runtime> runtime_;
    std::unique_ptr<Runtime::Use> use_;
    ThreadPool* pool_ = nullptr;
    std::string printed_;
};
