// orvex trace: watches a run and writes a line for each statement it executes and for each place
// where a statement or an evaluation stops without a word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tools/orvex/SourceText.h"
#include "vm/runtime/RunObserver.h"

class ThreadPool;
class TracedStatement;

struct TraceOptions {
    bool stopsOnly = false;
    bool runForm = false;    // a stop as FILE:LINE: stop: REASON (orvex run)
    bool quiet = false;      // stops counted, not written
    std::uint64_t limit = 0; // statements; 0: no limit
};

class Tracer : public RunObserver {
    friend class TracedStatement;

  public:
    Tracer(std::string fileName, std::FILE* out, TraceOptions options);

    // The image the run reads, as the tool read it; and where the runtime keeps its own copy, which
    // the codes that the run reads from the image point into.
    const SourceText& useImage(std::string image);
    void imageRunsFrom(std::string_view runtimeCopy) { runImage_ = runtimeCopy; }

    std::unique_ptr<Statement> read(const Code& code, const Parser& parser,
                                    std::unique_ptr<Statement> statement, std::size_t begin) override;
    void finished(const Evaluation& evaluation, const Code& code) override;
    void added(const Evaluation& evaluation) override;
    void stopped(const StopDetail& detail) override;
    void forget(const Code& code) override {
        origins_.erase(&code);
        endings_.erase(&code);
    }

    void executing(const Evaluation& evaluation, const TracedStatement& statement);
    void executed(const TracedStatement& statement);
    // The run ended on its memory limit, depth calls deep, in the statement last begun.
    void memoryLimit(std::size_t limit, std::size_t depth);
    // The stops told so far.
    std::uint64_t stops() const { return stops_; }
    // Once the scheduler has stopped: the evaluations that the waiting thread holds back.
    void afterRun(const ThreadPool& pool);

  private:
    // Where a code's text comes from.
    struct Origin {
        const char* data = nullptr; // the text it was worked out for
        std::size_t size = 0;
        std::size_t imageBase = std::size_t(-1); // the text stands in the image from here
        const CodeText* written = nullptr;       // or is a code text written in it
        std::string label;                       // or neither: its first bytes
    };
    const Origin& origin(const Code& code);
    std::string location(const Code& code, std::size_t offset);
    std::string label(const Evaluation& evaluation);
    void stopLine(const std::string& where, const std::string& who, const std::string& reason);
    std::string describe(const StopDetail& detail);
    void describeCurrent();

    std::string fileName_;
    std::FILE* out_;
    TraceOptions options_;
    std::unique_ptr<SourceText> source_;
    std::string_view runImage_;
    std::vector<std::string> names_; // every identifier the image writes, sorted, once each
    // Where the image binds a name that lasts no longer than a code: inside a code text, or by
    // running code; by where the name is written in the image. And the last of them that executed
    // without a stop, by name.
    struct ShortBinding {
        const CodeText* code;
        std::size_t at; // in the image
        bool byRun;
        std::string name;
    };
    std::unordered_map<std::size_t, ShortBinding> shortBindings_;
    std::unordered_map<std::string_view, const ShortBinding*> lastBound_;
    std::uint64_t stopsBefore_ = 0; // when the statement executing began
    // Whether a name, bound nowhere now, was made by a binding that has lasted no longer than its
    // code: that code is no longer running (or, bound by a run, ran before the statement executing).
    const ShortBinding* lostBinding(std::string_view name);
    const CodeText* writtenIn(const Code& code);
    std::unordered_map<const Code*, Origin> origins_;
    std::unordered_map<const Code*, TextReading> endings_;
    struct Family {
        int async = 0; // 0: the main evaluation
        int depth = 0; // synchronous children between it and its root
    };
    std::unordered_map<const Evaluation*, Family> families_;
    int asyncCount_ = 0;
    std::uint64_t executed_ = 0;
    std::uint64_t stops_ = 0;
    const TracedStatement* current_ = nullptr; // the statement under way, or the last one begun
    const Evaluation* currentEvaluation_ = nullptr;
    bool described_ = false;
    // The statement executing, for the stops it meets.
    std::string currentWhere_, currentWho_, currentText_;
    // The statement after which the thread was found waiting.
    bool waiting_ = false;
    std::string enteredAt_;
};
