// Evaluations: a parser over a text, executing one statement per step, with an optional
// synchronous child that runs to its end before its parent goes on.
#pragma once

#include <memory>
#include <string_view>

#include "vm/text/CharStream.h"
#include "vm/text/Parser.h"

class Thread;

class Evaluation {
  public:
    Evaluation(CharStream stream, Thread* thread);
    // Frees the chain of children as well, innermost first, without recursion.
    ~Evaluation();
    Evaluation(const Evaluation&) = delete;
    Evaluation& operator=(const Evaluation&) = delete;

    // One statement of the innermost unfinished descendant, or the retirement of a finished child.
    // Constant time in the depth of the chain: the root keeps its innermost descendant at hand.
    void step();
    // A synchronous child over text: a copy when the text is a statement's own, a view when it
    // is a string object's, which never changes and outlives every evaluation.
    Evaluation* startChild(CharStream stream);

    bool finished() const { return finished_; }
    Thread* thread() const { return thread_; }
    Evaluation* child() const { return child_; }

  private:
    void executeNextStatement();

    CharStream stream_;
    Parser parser_;
    bool finished_ = false;
    Thread* thread_;
    Evaluation* child_ = nullptr;
    Evaluation* parent_ = nullptr;
    Evaluation* root_ = this;
    Evaluation* innermost_ = this; // kept up to date on the root only
};
