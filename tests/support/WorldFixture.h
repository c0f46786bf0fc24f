// A fresh heap, System object and thread pool per test, with helpers to run program text.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "vm/object/Heap.h"
#include "vm/object/Object.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/OrvexOutput.h"
#include "vm/runtime/Reference.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/runtime/World.h"

// A file name of the running test's own: CTest runs the tests in parallel processes.
inline std::string uniqueTempName(const std::string& suffix) {
    static int serial = 0;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return ::testing::TempDir() + "orvex_" + test->test_suite_name() + "_" + test->name() + "_" +
           std::to_string(++serial) + suffix;
}

class WorldFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Heap::instance().clear();
        outputName_ = uniqueTempName(".out");
        output_ = std::make_unique<OrvexOutput>(outputName_.c_str());
        Heap::instance().setSystem(Heap::instance().make<Object>());
        pool_ = std::make_unique<ThreadPool>(output_.get());
    }
    void TearDown() override {
        pool_.reset();
        output_.reset();
        Heap::instance().clear();
        std::remove(outputName_.c_str());
    }

    // Builds the world and the interpreter thread over the global context.
    Thread* buildWorld() {
        ::buildWorld(pool_->globalContext());
        return pool_->thread();
    }

    bool worldBuilt() const { return pool_->globalContext().size() != 0; }

    // Runs text as the main evaluation, then the pool; returns what was printed.
    std::string run(const std::string& text) {
        Thread* thread = worldBuilt() ? pool_->thread() : buildWorld();
        {
            Evaluation main(CharStream::copy(text), thread);
            while (!main.finished()) main.step();
        }
        pool_->run();
        return printed();
    }

    std::string printed() {
        output_->flush();
        std::ifstream in(outputName_, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    Object* global(const char* name) { return pool_->globalContext().getReference(name)->target(); }

    std::unique_ptr<OrvexOutput> output_;
    std::unique_ptr<ThreadPool> pool_;
    std::string outputName_;
};
