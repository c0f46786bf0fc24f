// A text read as code: its statements, parsed as far as any evaluation has asked and kept for every
// later evaluation of the same text. Parsing makes nothing but statements, and a text never changes,
// so reading it once cannot be told from reading it at every run: an evaluation still executes one
// statement per step, and the statements after the first thing that is no statement are never made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "vm/object/StringObject.h"
#include "vm/text/CharStream.h"

class Parser;
class Statement;

class Code final : public TextCache, public SmallObject {
  public:
    // Every: the statements stay for reruns (a string object's text, a statement's own code).
    // Latest: a text read once from start to end (the image) keeps only its latest statement.
    enum class Keeping { Every, Latest };

    // A new code with one holder, the caller.
    static Code* make(CharStream stream, Keeping keeping);
    // The code of a string object's text (its brackets taken off), made on first use and kept with
    // the text.
    static Code* of(StringObject& string);

    void retain() { ++holders_; }
    void release() override;
    bool shared() const override { return holders_ > 1; }

    // The statement at index, parsing on as far as that; null where the text has no more statements.
    // With Keeping::Latest, index moves forward one at a time.
    Statement* statement(std::size_t index) {
        if (index >= firstIndex_ && index - firstIndex_ < statements_.size())
            return statements_[index - firstIndex_].get();
        return readStatement(index);
    }
    // The text read, its brackets taken off.
    std::string_view text() const { return stream_.text(); }

    // How many bindings the frame of its last finished run held (0 before one finished): a new frame
    // is given that much room at once, rather than growing step by step as its code binds.
    std::size_t frameSize() const { return frameSize_; }
    void noteFrameSize(std::size_t size) {
        frameSize_ = static_cast<std::uint32_t>(size < maxFrameSize ? size : maxFrameSize);
    }

  private:
    Code(CharStream stream, Keeping keeping);
    ~Code();
    // A statement not read yet (or dropped): the parser reads on as far as index.
    Statement* readStatement(std::size_t index);

    CharStream stream_;
    std::unique_ptr<Parser> parser_; // dropped once the text has given its last statement
    std::vector<std::unique_ptr<Statement>, SmallBlocks<std::unique_ptr<Statement>>> statements_;
    std::size_t firstIndex_ = 0; // of statements_.front(), which is not 0 when only the latest is kept
    std::uint32_t holders_ = 1;
    // The transient text it reads in place (a text a primitive computed), which it holds; null for
    // a pinned text, which stays anyway.
    const Symbol* held_ = nullptr;
    // A frame that once bound many names does not make every later one as large.
    static constexpr std::uint32_t maxFrameSize = 32;
    std::uint32_t frameSize_ = 0;
    Keeping keeping_;
};

// A holder of a code: one count while it lives.
class CodeRef {
  public:
    CodeRef() = default;
    // Adopts a count the caller owns (Code::make's).
    static CodeRef adopt(Code* code) { return CodeRef(code); }
    static CodeRef share(Code* code) {
        if (code) code->retain();
        return CodeRef(code);
    }
    ~CodeRef() {
        if (code_) code_->release();
    }
    CodeRef(CodeRef&& other) noexcept : code_(std::exchange(other.code_, nullptr)) {}
    CodeRef& operator=(CodeRef&& other) noexcept {
        std::swap(code_, other.code_);
        return *this;
    }
    CodeRef(const CodeRef&) = delete;
    CodeRef& operator=(const CodeRef&) = delete;

    Code* get() const { return code_; }
    Code* operator->() const { return code_; }
    explicit operator bool() const { return code_ != nullptr; }

  private:
    explicit CodeRef(Code* code) : code_(code) {}
    Code* code_ = nullptr;
};
