// Token codes of the lexer, declared once.
#pragma once

#include <cstdint>

// X(name, code)
#define ORVEX_TOKENS(X)                                                                                      \
    X(End, 0)                                                                                                \
    X(Semicolon, 100)                                                                                        \
    X(Dot, 101)                                                                                              \
    X(Comma, 102)                                                                                            \
    X(Colon, 103)                                                                                            \
    X(OpenParen, 104)                                                                                        \
    X(CloseParen, 105)                                                                                       \
    X(Greater, 107)                                                                                          \
    X(LeftArrow, 108)                                                                                        \
    X(RightArrow, 109)                                                                                       \
    X(Plus, 200)                                                                                             \
    X(Star, 201)                                                                                             \
    X(Minus, 202)                                                                                            \
    X(Slash, 203)                                                                                            \
    X(Percent, 204)                                                                                          \
    X(Comment, 300)                                                                                          \
    X(Backslash, 301)                                                                                        \
    X(EqualEqual, 302)                                                                                       \
    X(Number, 501)                                                                                           \
    X(Identifier, 502)                                                                                       \
    X(BracketedName, 503)

enum class Token : int {
#define ORVEX_TOKEN_ENUM(name, code) name = code,
    ORVEX_TOKENS(ORVEX_TOKEN_ENUM)
#undef ORVEX_TOKEN_ENUM
};

// A set of tokens: what a parser could have taken where it found something else.
using TokenSet = std::uint32_t;
namespace token_index {
enum : int {
#define ORVEX_TOKEN_INDEX(name, code) name,
    ORVEX_TOKENS(ORVEX_TOKEN_INDEX)
#undef ORVEX_TOKEN_INDEX
};
} // namespace token_index
constexpr TokenSet tokenBit(Token token) {
    switch (token) {
#define ORVEX_TOKEN_BIT(name, code)                                                                          \
    case Token::name:                                                                                        \
        return TokenSet{1} << token_index::name;
        ORVEX_TOKENS(ORVEX_TOKEN_BIT)
#undef ORVEX_TOKEN_BIT
    }
    return 0;
}
