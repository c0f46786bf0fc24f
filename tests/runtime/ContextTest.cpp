// Contexts and the thread's lookup: innermost binding first, bindings to none passed over.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/support/WorldFixture.h"
#include "vm/runtime/Reference.h"

namespace {

using ContextTest = WorldFixture;

TEST_F(ContextTest, InnermostBindingWinsAndPopUnbinds) {
    Object* outer = Heap::current().make<Object>("a");
    Object* inner = Heap::current().make<Object>("b");
    Thread thread(pool_);
    Context global = thread.bottomContext();
    global.addReference("x", outer);
    thread.pushNewContext();
    EXPECT_EQ(thread.lookup("x")->target(), outer);
    thread.currentContext().addReference("x", inner);
    EXPECT_EQ(thread.lookup("x")->target(), inner);
    EXPECT_EQ(inner->refCount(), 1);
    EXPECT_FALSE(thread.currentContext().addReference("x", outer)); // refused, but counted
    EXPECT_EQ(outer->refCount(), 2);
    // A third level, discarded as <delete> does: the middle binding is found again, at its depth.
    thread.pushNewContext();
    thread.currentContext().addReference("x", outer);
    thread.contextOf(intern("x"))->discardBinding(intern("x"));
    EXPECT_EQ(thread.lookup("x")->target(), inner);
    EXPECT_EQ(thread.contextOf(intern("x"))->depth(), 1u);
    thread.popContext();
    thread.popContext();
    EXPECT_EQ(thread.lookup("x")->target(), outer);
    EXPECT_EQ(inner->refCount(), 0);
    thread.popContext(); // the bottom context stays
    EXPECT_EQ(thread.depth(), 1u);
}

TEST_F(ContextTest, BindingToNoneIsBoundButNotFound) {
    Object* o = Heap::current().make<Object>("a");
    Thread thread(pool_);
    Context global = thread.bottomContext();
    global.addReference("return", o);
    thread.pushNewContext();
    Context top = thread.currentContext();
    EXPECT_TRUE(top.addSharedReference(intern("return"), nullptr));
    EXPECT_TRUE(top.isBound(intern("return")));
    EXPECT_EQ(top.getReference("return"), nullptr);
    EXPECT_EQ(thread.lookup("return")->target(), o); // passed over
    EXPECT_FALSE(top.addReference("return", o));
}

TEST_F(ContextTest, ReturnSharesTheCallersReference) {
    Object* nil = Heap::current().make<Object>("nil");
    Object* result = Heap::current().make<Object>("r");
    Thread thread(pool_);
    Context global = thread.bottomContext();
    global.addReference("y", nil);
    Reference* y = global.getReference("y");
    thread.pushNewContext();
    thread.currentContext().addSharedReference(intern("return"), y);
    thread.lookup("return")->rebind(result);
    thread.popContext(); // "return" is the caller's: popping it releases nothing
    EXPECT_EQ(global.getReference("y")->target(), result);
    EXPECT_EQ(result->refCount(), 1);
    EXPECT_EQ(nil->refCount(), 0);
    // Unbinding the caller's name leaves the callee's "return" usable.
    thread.pushNewContext();
    thread.currentContext().addSharedReference(intern("return"), y);
    global.discardBinding(intern("y"));
    EXPECT_EQ(thread.lookup("y"), nullptr);
    thread.lookup("return")->rebind(nil);
    EXPECT_EQ(nil->refCount(), 1);
    thread.popContext();
}

TEST_F(ContextTest, LookupOfGlobalsDoesNotDependOnDepth) {
    Object* o = Heap::current().make<Object>("a");
    Thread thread(pool_);
    thread.bottomContext().addReference("nil", o);
    for (int i = 0; i < 100000; ++i) {
        thread.pushNewContext();
        thread.currentContext().addReference("params", o);
    }
    // With a stack walk this would be 10^10 comparisons; the index makes it instant.
    for (int i = 0; i < 100000; ++i)
        ASSERT_EQ(thread.lookup("nil")->target(), o);
    EXPECT_EQ(o->refCount(), 100001);
    while (thread.depth() > 1)
        thread.popContext();
    EXPECT_EQ(o->refCount(), 1);
}

// A frame of thousands of names keeps a table of where each one is: binding, finding and removing
// in any order, a binding to none among them, and growth must keep it right.
TEST_F(ContextTest, LargeFramesFindEveryNameThroughTheirTable) {
    Object* o = Heap::current().make<Object>("a");
    Thread thread(pool_);
    thread.pushNewContext();
    Context frame = thread.currentContext();
    EXPECT_TRUE(frame.addSharedReference(intern("return"), nullptr));
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i) {
        names.push_back("n" + std::to_string(i * 7919 % 5000));
        ASSERT_TRUE(frame.addReference(names.back(), o));
    }
    std::mt19937 random(1);
    std::shuffle(names.begin(), names.end(), random);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i % 2) frame.discardBinding(intern(names[i]));
        if (i % 1000 == 0) {
            ASSERT_TRUE(frame.isBound(intern("return")));
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(frame.isBound(intern(names[i])), i % 2 == 0) << names[i];
        ASSERT_EQ(frame.getReference(names[i]) != nullptr, i % 2 == 0) << names[i];
    }
    EXPECT_EQ(frame.size(), names.size() / 2);
    thread.popContext();
}

} // namespace
