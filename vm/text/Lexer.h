// The lexer: one current token over a character stream, nothing buffered beyond it.
#pragma once

#include <cstdint>
#include <string>

#include "vm/runtime/CharStream.h"
#include "vm/text/Token.h"

class Lexer {
public:
    // Reads the first token at once.
    explicit Lexer(CharStream& input);
    virtual ~Lexer();

    void nextToken();
    Token getToken() const { return token_; }
    const std::string& getText() const { return text_; }
    std::int32_t getLine() const { return line_; }

private:
    int readChar();
    void unreadChar(int ch);
    // The first character and every following one that belongs; the first other one is given back.
    std::string readRun(int first, bool (*belongs)(int));
    void readAfterLess();
    void readComment();
    void readBracketedName();
    // Appends what an escape inside a bracketed name stands for; returns the escaped character.
    int readEscape(std::string& buffer);

    std::int32_t line_ = 1;
    CharStream& input_;
    Token token_ = Token::End; // before the first token: end of input
    std::string text_;
    std::string pushback_;
};
