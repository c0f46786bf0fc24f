// A character stream over program text: either a view of text that outlives the stream (a
// string object's text, which never changes) or a text of its own, in the runtime's memory.
#pragma once

#include <string>
#include <string_view>

#include "vm/memory/SmallAllocator.h"

class CharStream {
  public:
    static constexpr int End = -1;

    static CharStream view(std::string_view text) { return CharStream(text); }
    static CharStream copy(std::string_view text) { return CharStream(Text(text)); }
    static CharStream adopt(Text&& text) { return CharStream(std::move(text)); }

    CharStream(CharStream&& other) noexcept;
    CharStream& operator=(CharStream&&) = delete;

    // The whole text and how much of it has been read: a lexer can hand out views into it.
    std::string_view text() const { return text_; }
    std::size_t position() const { return position_; }
    // Moves past n bytes already looked at through text().
    void skip(std::size_t n) { position_ += n; }

  private:
    explicit CharStream(std::string_view text) : text_(text) {}
    explicit CharStream(Text&& owned) : owned_(std::move(owned)), text_(owned_), owning_(true) {}
    Text owned_;
    std::string_view text_;
    bool owning_ = false;
    std::size_t position_ = 0;
};

inline CharStream::CharStream(CharStream&& other) noexcept
    : owned_(std::move(other.owned_)), text_(other.text_), owning_(other.owning_),
      position_(other.position_) {
    // A moved string may keep its characters inline, so the view is rebuilt over our copy.
    if (owning_) text_ = owned_;
}
