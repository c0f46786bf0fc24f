// The tracer: a line per statement executed and a line per silent stop.
#include "tools/orvex/Tracer.h"

#include <algorithm>

#include "vm/runtime/Code.h"
#include "vm/runtime/Evaluation.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/Statement.h"
#include "vm/text/Parser.h"

// Stands for a statement read: says so to the tracer, then lets the statement execute.
class TracedStatement : public Statement {
  public:
    TracedStatement(Tracer& tracer, std::unique_ptr<Statement> inner, const Code& code, std::size_t begin,
                    std::size_t end)
        : tracer_(tracer), inner_(std::move(inner)), code_(code), begin_(begin), end_(end) {}
    void execute() override {
        tracer_.executing(*thread_->pool()->currentEvaluation(), *this);
        inner_->setThread(thread_);
        inner_->execute();
        tracer_.executed(*this);
    }
    const Code& code() const { return code_; }
    std::size_t begin() const { return begin_; }
    const Tracer::ShortBinding* binding = nullptr; // the one the statement makes, if it is one
    std::string_view written() const { return code_.text().substr(begin_, end_ - begin_); }

  private:
    Tracer& tracer_;
    std::unique_ptr<Statement> inner_;
    const Code& code_; // a statement lives no longer than the code that holds it
    std::size_t begin_, end_;
};

namespace {

constexpr std::size_t shownStatement = 100;

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n';
}

// A nesting this deep is a recursion that does not end, not a program that needs the memory.
constexpr std::size_t deepNesting = 10000;

// 24117248 as "24,117,248".
std::string groupedDigits(std::size_t n) {
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

// As a person writes a memory size: "12 GB", "256 MB", "1.5 GB".
std::string byteCount(std::size_t bytes) {
    constexpr std::size_t mb = std::size_t{1} << 20, gb = std::size_t{1} << 30;
    char text[32];
    if (bytes >= gb)
        std::snprintf(text, sizeof text, bytes % gb == 0 ? "%.0f GB" : "%.1f GB", double(bytes) / double(gb));
    else
        std::snprintf(text, sizeof text, "%.0f MB", double(bytes) / double(mb));
    return text;
}

} // namespace

Tracer::Tracer(std::string fileName, std::FILE* out, TraceOptions options)
    : fileName_(std::move(fileName)), out_(out), options_(options) {}

const SourceText& Tracer::useImage(std::string image) {
    source_ = std::make_unique<SourceText>(std::move(image));
    // Every code text written in the image, so that each one's statements can be placed there, and
    // every name written in them, for a name bound nowhere to be told the one it resembles.
    source_->forEachCode([this](const CodeText& code, const TextReading& reading) {
        names_.insert(names_.end(), reading.identifiers.begin(), reading.identifiers.end());
        for (const TextReading::Binding& binding : reading.bindings)
            if (code.depth > 0 || binding.byRun)
                shortBindings_.try_emplace(
                    code.imageOffset(binding.at),
                    ShortBinding{&code, code.imageOffset(binding.at), binding.byRun, binding.name});
    });
    std::sort(names_.begin(), names_.end());
    names_.erase(std::unique(names_.begin(), names_.end()), names_.end());
    return *source_;
}

std::unique_ptr<Statement> Tracer::read(const Code& code, const Parser& parser,
                                        std::unique_ptr<Statement> statement, std::size_t begin) {
    if (!statement) {
        TextReading ending;
        readStop(parser, code.text(), ending);
        endings_[&code] = std::move(ending);
        return nullptr;
    }
    // The statement runs to where the next token starts, blanks left out.
    std::size_t end = parser.lexer().tokenStart();
    while (end > begin && isBlank(code.text()[end - 1]))
        --end;
    auto traced = std::make_unique<TracedStatement>(*this, std::move(statement), code, begin, end);
    if (!shortBindings_.empty())
        if (const CodeText* written = writtenIn(code))
            if (auto found = shortBindings_.find(written->imageOffset(begin)); found != shortBindings_.end())
                traced->binding = &found->second;
    return traced;
}

const Tracer::Origin& Tracer::origin(const Code& code) {
    const std::string_view text = code.text();
    Origin& known = origins_[&code];
    // A code freed and another made at the same address: worked out again for the new text.
    if (known.data == text.data() && known.size == text.size() && known.data) return known;
    known = Origin();
    known.data = text.data();
    known.size = text.size();
    const std::string_view image = runImage_;
    if (!image.empty() && text.data() >= image.data() &&
        text.data() + text.size() <= image.data() + image.size())
        known.imageBase = static_cast<std::size_t>(text.data() - image.data());
    else if (const CodeText* written = source_ ? source_->find(text) : nullptr)
        known.written = written;
    else
        known.label = "\"" + shown(text, 24) + "\"";
    return known;
}

std::string Tracer::location(const Code& code, std::size_t offset) {
    const Origin& from = origin(code);
    if (from.label.size()) return from.label;
    const std::size_t at = from.written ? from.written->imageOffset(offset) : from.imageBase + offset;
    return fileName_ + ":" + std::to_string(source_->place(at).line);
}

std::string Tracer::label(const Evaluation& evaluation) {
    Family family;
    if (const Evaluation* parent = evaluation.parent()) {
        if (auto known = families_.find(parent); known != families_.end()) {
            // Its parent executed the statement that started it: known when every statement is told.
            family = known->second;
            ++family.depth;
        } else {
            // Only stops are told: the chain is walked up to its root, once per stop.
            const Evaluation* root = parent;
            for (family.depth = 1; root->parent(); root = root->parent())
                ++family.depth;
            if (auto found = families_.find(root); found != families_.end())
                family.async = found->second.async;
        }
        if (!options_.stopsOnly) families_[&evaluation] = family;
    } else if (auto found = families_.find(&evaluation); found != families_.end()) {
        family = found->second;
    }
    std::string name = family.async ? "async " + std::to_string(family.async) : "main";
    return family.depth ? name + "+" + std::to_string(family.depth) : name;
}

void Tracer::added(const Evaluation& evaluation) {
    families_[&evaluation] = Family{++asyncCount_, 0};
}

// Where and what the statement is, worked out when a line needs them: a run that only reports its
// stops pays nothing more per statement than this.
void Tracer::executing(const Evaluation& evaluation, const TracedStatement& statement) {
    ++executed_;
    stopsBefore_ = stops_;
    current_ = &statement;
    currentEvaluation_ = &evaluation;
    described_ = false;
    if (!options_.stopsOnly) {
        describeCurrent();
        std::fprintf(out_, "%s: %s: %s\n", currentWhere_.c_str(), currentWho_.c_str(), currentText_.c_str());
    }
}

// The thread waits since this statement: an <enter>, named while its code is still there.
void Tracer::executed(const TracedStatement& statement) {
    if (statement.binding && stops_ == stopsBefore_) lastBound_[statement.binding->name] = statement.binding;
    const bool waiting = statement.thread()->waiting();
    if (waiting && !waiting_) {
        describeCurrent();
        enteredAt_ = currentWhere_ + ": " + currentText_;
    }
    waiting_ = waiting;
}

void Tracer::describeCurrent() {
    if (described_ || !current_) return;
    currentWhere_ = location(current_->code(), current_->begin());
    currentWho_ = label(*currentEvaluation_);
    currentText_ = shown(current_->written(), shownStatement);
    described_ = true;
}

void Tracer::stopLine(const std::string& where, const std::string& who, const std::string& reason) {
    ++stops_;
    if (options_.quiet) return;
    if (options_.runForm)
        std::fprintf(out_, "%s: stop: %s\n", where.c_str(), reason.c_str());
    else
        std::fprintf(out_, "%s: %s: stop: %s\n", where.c_str(), who.c_str(), reason.c_str());
}

void Tracer::stopped(const StopDetail& detail) {
    describeCurrent();
    std::string reason = describe(detail);
    // Code that reads a parameter its call did not pass: the call is named too, where it can be fixed.
    if (detail.reason == SilentStop::NoMember && detail.name == "params" && currentEvaluation_)
        if (const Evaluation* caller = currentEvaluation_->parent())
            if (auto* call = dynamic_cast<const TracedStatement*>(caller->lastStatement()))
                reason +=
                    "; the call at " + location(call->code(), call->begin()) + " passes no such parameter";
    // Code run with a parameter that is a name bound nowhere gets none of the names a call gives.
    if (detail.reason == SilentStop::Unbound &&
        (detail.name == "params" || detail.name == "sender" || detail.name == "mySelf") && currentEvaluation_)
        if (const Evaluation* caller = currentEvaluation_->parent())
            if (auto* call = dynamic_cast<const TracedStatement*>(caller->lastStatement()))
                reason += "; the call at " + location(call->code(), call->begin()) +
                          " passes a name bound nowhere, so this code runs without params, sender, mySelf "
                          "and return";
    if (options_.stopsOnly) reason += " (in: " + currentText_ + ")";
    stopLine(currentWhere_, currentWho_, reason);
}

void Tracer::memoryLimit(std::size_t limit, std::size_t depth) {
    describeCurrent();
    std::string reason = "the memory limit (" + byteCount(limit) + ") was reached";
    if (depth >= deepNesting)
        reason += " " + groupedDigits(depth) + " calls deep; the call that keeps nesting starts here";
    stopLine(current_ ? currentWhere_ : fileName_, currentWho_, reason);
}

void Tracer::finished(const Evaluation& evaluation, const Code& code) {
    auto ending = endings_.find(&code);
    if (ending == endings_.end() || losesNothing(code.text(), ending->second)) return;
    const TextReading& reading = ending->second;
    const Origin& from = origin(code);
    std::string reason = from.written ? stopReason(*from.written, reading) : stopReason(code.text(), reading);
    std::size_t at = reading.at;
    if (const std::size_t end = missingSemicolon(code.text(), reading); end != std::string_view::npos) {
        at = end;
        reason = "this statement has no ';' at its end";
    }
    stopLine(location(code, at), label(evaluation), reason + ": the rest of this text is never read");
}

void Tracer::afterRun(const ThreadPool& pool) {
    if (!pool.thread()->waiting()) return;
    for (const Evaluation* evaluation : pool.evaluations()) {
        if (evaluation->finished()) continue;
        std::string where = evaluation->code() ? location(*evaluation->code(), 0) : fileName_;
        stopLine(where, label(*evaluation),
                 "never runs on: the thread waits since an <enter> that no <exit> ended (" + enteredAt_ +
                     ")");
    }
}

const CodeText* Tracer::writtenIn(const Code& code) {
    const Origin& from = origin(code);
    if (from.written) return from.written;
    return from.imageBase == 0 ? &source_->image() : nullptr;
}

const Tracer::ShortBinding* Tracer::lostBinding(std::string_view name) {
    auto found = lastBound_.find(name);
    if (found == lastBound_.end() || !current_ || !currentEvaluation_) return nullptr;
    const ShortBinding& binding = *found->second;
    const CodeText* here = writtenIn(current_->code());
    if (binding.code == here)
        return binding.byRun && binding.at < here->imageOffset(current_->begin()) ? &binding : nullptr;
    // A code still running has not lost the names it binds: it has not bound them yet. The walk up
    // is bounded; a nesting deeper than that gets no hint.
    constexpr int lookedAt = 64;
    const Evaluation* evaluation = currentEvaluation_->parent();
    for (int i = 0; evaluation && i < lookedAt; ++i, evaluation = evaluation->parent())
        if (evaluation->code() && writtenIn(*evaluation->code()) == binding.code) return nullptr;
    return evaluation ? nullptr : &binding;
}

std::string Tracer::describe(const StopDetail& detail) {
    const std::string name(shown(detail.name, 40));
    const std::string other(shown(detail.other, 40));
    switch (detail.reason) {
    case SilentStop::Unbound: {
        std::string reason = "the name '" + name + "' is bound nowhere, and is no bracketed name";
        if (const ShortBinding* lost = lostBinding(detail.name))
            return reason + "; " + fileName_ + ":" + std::to_string(source_->place(lost->at).line) +
                   (lost->byRun
                        ? " binds it to the result of running code, which makes it in that code's context"
                        : " binds it inside code, in that code's context") +
                   ", gone when the code ends: declare it first where it is used (-> " + name + " ;)";
        const std::string close = closestName(detail.name, names_);
        return close.empty() ? reason : reason + "; did you mean '" + close + "'?";
    }
    case SilentStop::LocalStringUnbound:
        return "the literal " + name + " is not made: 'String' is not bound in this very context";
    case SilentStop::NoMember:
        return "'" + name + "' has no member " + other + ", not even along <super>";
    case SilentStop::ParameterCount:
        return "<" + name + "> takes " + std::to_string(detail.expected) + " parameter" +
               (detail.expected == 1 ? "" : "s") + ", got " + std::to_string(detail.got);
    case SilentStop::NoResultName:
        return "<" + name +
               "> delivers its result to a target, and this call has none (write x <- ... ( ) ;)";
    case SilentStop::NotCode:
        return "'" + name + "' is no string, so there is no code to run";
    case SilentStop::NoIdentifier:
        return "'" + name + "' has no <id> that is a string";
    case SilentStop::UnknownOperation:
        return "<invoke> knows no operation " + other + " of the interface " + name + ": the answer is nil";
    case SilentStop::AnswerUnbound:
        return "<invoke> answers " + name + ", a name bound nowhere: the answer is nil" +
               (detail.name == "true" || detail.name == "false"
                    ? " (bind true <- <T> ; and false <- <F> ; first)"
                    : "");
    }
    return "the statement stops";
}
