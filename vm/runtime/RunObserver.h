// What a tool may watch of a run: each statement as it is read, each place where a statement or
// an evaluation ends without a word, and each asynchronous evaluation as it joins the pool.
// OrvexVM watches nothing: the pointer stays null, and a hook costs one test of it, made where a
// text is parsed or a run stops, never on the way of a statement that runs. A tool that wants
// to see statements run hands back, for each statement read, one of its own that stands for it.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "platform/ThreadPointer.h"

class Code;
class Evaluation;
class Parser;
class Statement;

// Why a statement did less than it says, in the order a reader meets them.
enum class SilentStop {
    Unbound,            // name: a name bound nowhere that is no bracketed name
    LocalStringUnbound, // name: a literal receiver of "x <- <y> : <m> ;" needs "String" in this very context
    NoMember,           // name: the receiver, other: the member
    ParameterCount,     // name: the primitive, expected and got
    NoResultName,       // name: the primitive, which delivers a result to no one
    NotCode,            // name: what should have been a string to run
    NoIdentifier,       // name: an object whose <id> is no string
    UnknownOperation,   // name: the interface, other: the operation
    AnswerUnbound,      // name: the answer of <invoke>, a word bound nowhere
};

struct StopDetail {
    SilentStop reason;
    std::string_view name;
    std::string_view other;
    int expected = 0;
    int got = 0;
};

class RunObserver {
  public:
    virtual ~RunObserver() = default;
    // A statement of code was read, and is kept as what this answers: statement null when the text
    // reads on as no statement (or has ended), and then the answer must be null too. begin is where
    // the statement's first token stands in code's text.
    virtual std::unique_ptr<Statement> read(const Code& code, const Parser& parser,
                                            std::unique_ptr<Statement> statement, std::size_t begin) = 0;
    // The evaluation asked code for a statement and got none.
    virtual void finished(const Evaluation& evaluation, const Code& code) = 0;
    // An asynchronous evaluation joined the pool.
    virtual void added(const Evaluation& evaluation) = 0;
    // The statement executing ends here, or delivers less than it says.
    virtual void stopped(const StopDetail& detail) = 0;
    // The code goes (read from a text that has gone), and its address may be a new code's.
    virtual void forget(const Code& code) = 0;
};

// The observer of the runtime in use on this OS thread (Runtime::setObserver); null when nothing
// watches.
inline RunObserver* runObserver() {
    return ThreadPointer<RunObserver>::get();
}

inline void noteStop(SilentStop reason, std::string_view name = {}, std::string_view other = {},
                     int expected = 0, int got = 0) {
    if (RunObserver* observer = runObserver()) [[unlikely]]
        observer->stopped({reason, name, other, expected, got});
}
