// The lexer: one current token over a character stream, nothing buffered beyond it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "vm/memory/SmallAllocator.h"
#include "vm/text/CharStream.h"
#include "vm/text/Token.h"

class Lexer {
  public:
    // Reads the first token at once.
    explicit Lexer(CharStream& input);
    ~Lexer();

    void nextToken();
    Token getToken() const { return token_; }
    // The current text: a view of the input, or of the lexer's own copy of a name whose escapes
    // change its bytes. Valid until the next token is read.
    std::string_view getText() const { return text_; }
    std::string takeText() const { return std::string(text_); }
    // Whether the text is a view of the input (or a constant), which outlives the token.
    bool textInInput() const { return escapedText_.empty() || text_.data() != escapedText_.data(); }
    // The current bracketed name as it stands in the input, when its text is exactly those bytes
    // (it holds no escape but "\<" and "\>"); empty otherwise. Valid while the input is.
    std::string_view getSourceView() const { return sourceView_; }
    // Counted when asked, from the newlines read so far: reading costs nothing for it.
    std::int32_t getLine() const;
    // Where the current token starts in the input, and where the next one will be looked for: a
    // tool can point at a token. After a character that starts no token, the start is that
    // character's, and the token is the previous one read again. The start is worked out when
    // asked, from the end and the token, so reading costs nothing more; it needs the current
    // text, not yet taken.
    std::size_t tokenStart() const;
    std::size_t tokenEnd() const { return consumed(); }
    bool readAgain() const { return skippedEnd_ == consumed(); }
    // What an escape in a bracketed name stands for, by the character after the backslash.
    static std::string_view escapeText(int escaped);

  private:
    // The byte at index at of the input, or End past it. The input is all there, so the lexer
    // looks ahead instead of reading and giving back.
    int peek(std::size_t at) const;
    void moveTo(std::size_t at);
    void readAfterLess(std::size_t start);
    // Index in the input of the next character to be read.
    std::size_t consumed() const { return input_.position(); }
    // From just after the opening "\*".
    void readComment(std::size_t at);
    void readBracketedName(std::size_t start);

    CharStream& input_;
    // The line is 1 plus the newlines read, less those an escape dropped from a name. Those read
    // are counted when the line is asked for, from where the last count stopped: a tool asking at
    // every token pays for each byte once.
    mutable std::size_t linesCountedTo_;
    mutable std::size_t newlinesRead_ = 0;
    std::size_t newlinesDropped_ = 0;
    Token token_ = Token::End; // before the first token: end of input
    std::string_view text_;
    std::string_view sourceView_;
    Text escapedText_; // the text of the last name whose escapes changed its bytes
    Text building_;    // the next one, while it is read
    // Kept for the tokens whose length their text does not tell.
    std::size_t nameStart_ = 0;    // of the last bracketed name
    std::size_t commentStart_ = 0; // of the last comment, or of the comment or name left unfinished
    bool unfinished_ = false;      // the end of input came inside a comment or a name
    std::size_t skippedEnd_ = std::size_t(-1); // just after the last character that started no token
};
