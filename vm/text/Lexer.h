// The lexer: one current token over a character stream, nothing buffered beyond it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "vm/text/CharStream.h"
#include "vm/text/Token.h"

class Lexer {
  public:
    // Reads the first token at once.
    explicit Lexer(CharStream& input);
    ~Lexer();

    void nextToken();
    Token getToken() const { return token_; }
    const std::string& getText() const { return text_; }
    // Moves the current text out: a parser that keeps a name need not copy it.
    std::string takeText() { return std::move(text_); }
    // The current bracketed name as it stands in the input, when it holds no escape (its text is
    // then exactly those bytes); empty otherwise. Valid while the input is.
    std::string_view getSourceView() const { return sourceView_; }
    std::int32_t getLine() const { return line_; }

  private:
    int readChar();
    void unreadChar(int ch);
    // The first character and every following one that belongs; the first other one is given back.
    std::string readRun(int first, bool (*belongs)(int));
    void readAfterLess(std::size_t start);
    // Index in the input of the next character to be read, given back ones included.
    std::size_t consumed() const { return input_.position() - pushback_.size(); }
    void readComment();
    void readBracketedName(std::size_t start);
    int copyOrdinaryRun(std::string& buffer, int current);
    // Appends what an escape inside a bracketed name stands for; returns the escaped character.
    int readEscape(std::string& buffer);

    std::int32_t line_ = 1;
    CharStream& input_;
    Token token_ = Token::End; // before the first token: end of input
    std::string text_;
    std::string_view sourceView_;
    std::string pushback_;
};
