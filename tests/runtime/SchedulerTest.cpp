// Evaluations and the scheduler: synchronous children, interleaving, waiting, deep nesting.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/WorldFixture.h"

namespace {

using SchedulerTest = WorldFixture;

int stepsToFinish(RootEvaluation& evaluation) {
    int steps = 0;
    while (!evaluation.finished()) {
        evaluation.step();
        ++steps;
    }
    return steps;
}

TEST_F(SchedulerTest, SynchronousChildHoldsItsParentForNPlusTwoSteps) {
    Thread* thread = this->thread();
    RootEvaluation main(CharStream::copy("< -> a ; -> b ; -> c ;> ( ) ; -> d ;"), thread);
    main.step(); // starts the child
    ASSERT_NE(main.child(), nullptr);
    EXPECT_EQ(thread->depth(), 2u);
    int steps = 0;
    while (main.child()) {
        main.step();
        ++steps;
    }
    EXPECT_EQ(steps, 3 + 2);
    EXPECT_EQ(thread->depth(), 1u);
    EXPECT_EQ(stepsToFinish(main), 2); // -> d ; then the empty parser
    EXPECT_NE(thread->lookup("d"), nullptr);
    EXPECT_EQ(thread->lookup("a"), nullptr); // bound in the child's context, gone with it
    EXPECT_EQ(pool_->currentEvaluation(), nullptr);
}

TEST_F(SchedulerTest, AsynchronousEvaluationsAlternateOneStatementPerPass) {
    std::string out = run("<<a1> : <print> ( ) ; <a2> : <print> ( ) ; <a3> : <print> ( ) ;> ) ( ;"
                          "<<b1> : <print> ( ) ; <b2> : <print> ( ) ;> ) ( ;"
                          "<main> : <print> ( ) ;");
    EXPECT_EQ(out, "<main><a1><b1><a2><b2><a3>");
}

TEST_F(SchedulerTest, EvaluationStartedDuringAPassRunsInThatPass) {
    std::string out = run("<<a1> : <print> ( ) ; <<c1> : <print> ( ) ; <c2> : <print> ( ) ;> ) ( ;"
                          " <a2> : <print> ( ) ; <a3> : <print> ( ) ;> ) ( ;"
                          "<<b1> : <print> ( ) ; <b2> : <print> ( ) ; <b3> : <print> ( ) ;> ) ( ;");
    EXPECT_EQ(out, "<a1><b1><b2><c1><a2><b3><c2><a3>");
}

TEST_F(SchedulerTest, EnterSuspendsEveryEvaluationOfTheThread) {
    std::string out = run("<<a1> : <print> ( ) ; nil : <enter> ( ) ; <a2> : <print> ( ) ;> ) ( ;"
                          "<<b1> : <print> ( ) ; <b2> : <print> ( ) ;> ) ( ;");
    EXPECT_EQ(out, "<a1><b1>");
    EXPECT_EQ(pool_->evaluationCount(), 2u);
}

TEST_F(SchedulerTest, MainTextRunsToItsEndDespiteEnter) {
    EXPECT_EQ(run("nil : <enter> ( ) ; <after> : <print> ( ) ; <<async> : <print> ( ) ;> ) ( ;"), "<after>");
    EXPECT_EQ(run("nil : <exit> ( ) ; <again> : <print> ( ) ;"), "<after><again><async>");
}

TEST_F(SchedulerTest, AMillionNestedSynchronousChildren) {
    Thread* thread = this->thread();
    const int depth = 1000000;
    RootEvaluation root(CharStream::copy(""), thread);
    // One code read once, as a method's text is for every call of it.
    CodeRef code = CodeRef::adopt(Code::make(CharStream::view("-> x ;"), Code::Keeping::Every));
    for (int i = 0; i < depth; ++i) root.startChild(CodeRef::share(code.get()));
    EXPECT_EQ(thread->depth(), std::size_t(depth) + 1);
    // Each child: its statement, the step that finds no more, its retirement.
    EXPECT_EQ(stepsToFinish(root), 3 * depth + 1);
    EXPECT_EQ(thread->depth(), 1u);
    EXPECT_EQ(thread->lookup("x"), nullptr);
    EXPECT_EQ(global("nil")->refCount(), 5);
}

// A chain keeps its children in blocks, and one that shrinks and grows again reuses them: each child's
// parent is the one started before it, across the blocks' edges.
TEST_F(SchedulerTest, ChildrenFindTheirParentsAcrossReusedBlocks) {
    RootEvaluation root(CharStream::copy(""), thread());
    CodeRef code = CodeRef::adopt(Code::make(CharStream::view(""), Code::Keeping::Every));
    std::vector<const Evaluation*> started{&root};
    auto growTo = [&](std::size_t depth) {
        while (started.size() <= depth)
            started.push_back(root.startChild(CodeRef::share(code.get())));
    };
    growTo(100);
    while (root.descendants() > 10)
        root.step(); // an empty child: the step that finds no statement, then its retirement
    started.resize(11);
    growTo(100);
    for (std::size_t i = 1; i < started.size(); ++i)
        ASSERT_EQ(started[i]->parent(), started[i - 1]) << i;
    EXPECT_EQ(root.parent(), nullptr);
    EXPECT_EQ(stepsToFinish(root), 2 * 100 + 1);
}

TEST_F(SchedulerTest, AbandonedChainsAreFreedWithoutRecursion) {
    Thread* thread = this->thread();
    auto* root = new RootEvaluation(CharStream::copy(""), thread);
    CodeRef code = CodeRef::adopt(Code::make(CharStream::view(""), Code::Keeping::Every));
    for (int i = 0; i < 1000000; ++i) root->startChild(CodeRef::share(code.get()));
    delete root;
    while (thread->depth() > 1) thread->popContext();
}

} // namespace
