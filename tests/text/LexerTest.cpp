// Unit tests of the lexer: token boundaries, bracketed names, comments, lines and stray bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/WorldFixture.h"
#include "vm/text/Lexer.h"

namespace {

// What is read is named in a runtime's symbols: one in use for each test.
using LexerTest = WorldFixture;

std::string tokenName(Token token) {
    switch (token) {
#define ORVEX_TOKEN_NAME(name, code)                                                                         \
    case Token::name:                                                                                        \
        return #name;
        ORVEX_TOKENS(ORVEX_TOKEN_NAME)
#undef ORVEX_TOKEN_NAME
    }
    return "?";
}

using Tokens = std::vector<std::string>;

// Every token up to the first end of input, each with its text when it is one that sets text.
Tokens lex(std::string_view text) {
    CharStream input = CharStream::view(text);
    Lexer lexer(input);
    Tokens tokens;
    for (; lexer.getToken() != Token::End; lexer.nextToken()) {
        const int code = static_cast<int>(lexer.getToken());
        tokens.push_back(tokenName(lexer.getToken()) + (code > 500 ? " " + lexer.takeText() : ""));
    }
    return tokens;
}

} // namespace

TEST_F(LexerTest, PunctuationAndOperators) {
    EXPECT_EQ(lex("; . , : ( ) > + * / % - == -> <-"),
              (Tokens{"Semicolon", "Dot", "Comma", "Colon", "OpenParen", "CloseParen", "Greater", "Plus",
                      "Star", "Slash", "Percent", "Minus", "EqualEqual", "RightArrow", "LeftArrow"}));
    EXPECT_EQ(lex("- >"), (Tokens{"Minus", "Greater"}));
    EXPECT_EQ(lex("\\x"), (Tokens{"Backslash", "Identifier x"}));
    EXPECT_EQ(lex("-"), (Tokens{"Minus"}));
    EXPECT_EQ(lex("\\"), (Tokens{"Backslash"}));
}

TEST_F(LexerTest, NumbersAndIdentifiers) {
    EXPECT_EQ(lex("a1_b _x 007"), (Tokens{"Identifier a1_b", "Identifier _x", "Number 007"}));
    EXPECT_EQ(lex("12ab"), (Tokens{"Number 12", "Identifier ab"}));
    EXPECT_EQ(lex("-5"), (Tokens{"Minus", "Number 5"}));
}

TEST_F(LexerTest, Arrows) {
    EXPECT_EQ(lex("x<-y;"), (Tokens{"Identifier x", "LeftArrow", "Identifier y", "Semicolon"}));
    EXPECT_EQ(lex("<-->"), (Tokens{"LeftArrow", "RightArrow"}));
    EXPECT_EQ(lex("<->"), (Tokens{"BracketedName <->"}));
    EXPECT_EQ(lex("a<-"), (Tokens{"Identifier a", "LeftArrow"}));
}

TEST_F(LexerTest, BracketedNamesNestAndKeepArrowsInside) {
    EXPECT_EQ(lex("<objects>"), (Tokens{"BracketedName <objects>"}));
    EXPECT_EQ(lex("<a<b>c>d"), (Tokens{"BracketedName <a<b>c>", "Identifier d"}));
    EXPECT_EQ(lex("<x <- y; z -> w>"), (Tokens{"BracketedName <x <- y; z -> w>"}));
    EXPECT_EQ(lex("<50%>"), (Tokens{"BracketedName <50%>"}));
    // "<<>" never closes: the first '>' only brings the depth back to 1.
    EXPECT_EQ(lex("<<>"), Tokens{});
    EXPECT_EQ(lex("x <"), (Tokens{"Identifier x"}));
}

// Runs of ordinary bytes of about sixteen, ending on each byte a name reacts to.
TEST_F(LexerTest, LongRunsInsideBracketedNames) {
    for (std::size_t run = 13; run <= 35; ++run) {
        const std::string x(run, 'x');
        const std::string name = "<" + x + "<" + x + "->" + x + ">" + x + "\n" + x + "\\>" + x + ">";
        const std::string text = name + " y";
        EXPECT_EQ(lex(text), (Tokens{"BracketedName " + name, "Identifier y"})) << run;
        CharStream input = CharStream::view(text);
        Lexer lexer(input);
        lexer.nextToken();
        EXPECT_EQ(lexer.getLine(), 2) << run;
    }
}

TEST_F(LexerTest, EscapesInsideBracketedNames) {
    EXPECT_EQ(lex("<\\<>"), (Tokens{"BracketedName <\\<>"}));
    EXPECT_EQ(lex("<\\>>"), (Tokens{"BracketedName <\\>>"}));
    EXPECT_EQ(lex("<a\\nb\\tc\\-d\\\\e>"), (Tokens{"BracketedName <a\nb\tc-d\\e>"}));
    EXPECT_EQ(lex("<a\\qb\\\nc>"), (Tokens{"BracketedName <abc>"}));
    // Escaped brackets keep their bytes, also before and after an escape that changes them.
    EXPECT_EQ(lex("<\\<a\\>\\tb\\<c\\>>"), (Tokens{"BracketedName <\\<a\\>\tb\\<c\\>>"}));
    // The escaped character is the previous one for the next step: after "\-" a '>' is an arrow
    // and closes nothing, and after "\<" a '-' makes an arrow that takes a level away.
    EXPECT_EQ(lex("<a\\->b>"), (Tokens{"BracketedName <a->b>"}));
    EXPECT_EQ(lex("<a\\<-b>"), (Tokens{"BracketedName <a\\<-", "Identifier b", "Greater"}));
    EXPECT_EQ(lex("<a\\"), Tokens{});
}

TEST_F(LexerTest, Comments) {
    EXPECT_EQ(lex("\\* set up \\* x"), (Tokens{"Comment", "Identifier x"}));
    // The opening backslash may serve as the backslash of the closing pair.
    EXPECT_EQ(lex("\\** x"), (Tokens{"Comment", "Identifier x"}));
    EXPECT_EQ(lex("\\*\\* *"), (Tokens{"Comment", "Star"}));
    EXPECT_EQ(lex("\\* <a \\* ;"), (Tokens{"Comment", "Semicolon"}));
    EXPECT_EQ(lex("x \\* never closed"), (Tokens{"Identifier x"}));
}

TEST_F(LexerTest, TextIsKeptByTokensThatSetNone) {
    CharStream input = CharStream::view("x ; \\* c \\* ( <abc");
    Lexer lexer(input);
    for (Token expected :
         {Token::Identifier, Token::Semicolon, Token::Comment, Token::OpenParen, Token::End}) {
        EXPECT_EQ(lexer.getToken(), expected);
        EXPECT_EQ(lexer.getText(), "x"); // the unfinished name at the end is lost
        lexer.nextToken();
    }
}

TEST_F(LexerTest, CountsLines) {
    CharStream input = CharStream::view("a\nb <x\ny> \\* \n\n \\* <\\\n\\n> c\n");
    Lexer lexer(input);
    std::vector<std::int32_t> lines;
    for (; lexer.getToken() != Token::End; lexer.nextToken())
        lines.push_back(lexer.getLine());
    // The newline ending an identifier counts once; escaped newlines count none.
    EXPECT_EQ(lines, (std::vector<std::int32_t>{1, 2, 3, 5, 5, 5}));
    EXPECT_EQ(lexer.getLine(), 6);
}

TEST_F(LexerTest, ByteFFIsAnOrdinaryByte) {
    EXPECT_EQ(lex("<a\xFF"
                  "b>"),
              (Tokens{"BracketedName <a\xFF"
                      "b>"}));
    EXPECT_EQ(lex("\\* \xFF \\* x"), (Tokens{"Comment", "Identifier x"}));
    EXPECT_EQ(lex("<a\\\xFF"
                  "b>"),
              (Tokens{"BracketedName <ab>"}));
    // Outside names and comments it starts no token, so the previous token is seen again.
    EXPECT_EQ(lex("x \xFF ;"), (Tokens{"Identifier x", "Identifier x", "Semicolon"}));
}

TEST_F(LexerTest, CharacterThatStartsNoTokenRepeatsThePreviousToken) {
    EXPECT_EQ(lex("x = y"), (Tokens{"Identifier x", "Identifier x", "Identifier y"}));
    EXPECT_EQ(lex("; # \r \x80 ("),
              (Tokens{"Semicolon", "Semicolon", "Semicolon", "Semicolon", "OpenParen"}));
    EXPECT_EQ(lex("a=="), (Tokens{"Identifier a", "EqualEqual"}));
}

TEST_F(LexerTest, EndOfInputBeforeAndAfterTheFirstToken) {
    CharStream empty = CharStream::view("");
    Lexer atEnd(empty);
    EXPECT_EQ(atEnd.getToken(), Token::End);
    atEnd.nextToken();
    atEnd.nextToken();
    EXPECT_EQ(atEnd.getToken(), Token::End);
    EXPECT_EQ(atEnd.getLine(), 1);

    // The current token before the first one is the end, so a first character that starts no token
    // leaves it there, although the input goes on.
    CharStream stray = CharStream::view("# x");
    Lexer lexer(stray);
    EXPECT_EQ(lexer.getToken(), Token::End);
    lexer.nextToken();
    EXPECT_EQ(lexer.getToken(), Token::Identifier);
}

TEST_F(LexerTest, LongAndDeepInputNeedsNoRecursion) {
    const std::size_t size = 1 << 20;
    const std::string longName = "<" + std::string(size, 'a') + ">";
    EXPECT_EQ(lex(longName), Tokens{"BracketedName " + longName});
    const std::string deepName = std::string(size, '<') + std::string(size, '>');
    EXPECT_EQ(lex(deepName), Tokens{"BracketedName " + deepName});
    EXPECT_EQ(lex("\\*" + std::string(size, 'c') + "\\*;"), (Tokens{"Comment", "Semicolon"}));
    const std::string identifier(size, 'z');
    EXPECT_EQ(lex(identifier), Tokens{"Identifier " + identifier});
}

TEST_F(LexerTest, RandomBytesEndWithinOneTokenPerByte) {
    std::mt19937 random(7);
    std::string bytes(1 << 20, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    bytes.insert(0, "x "); // past the first token, the end of input is the real end
    CharStream input = CharStream::view(bytes);
    Lexer lexer(input);
    std::size_t calls = 0;
    do {
        lexer.nextToken();
        ++calls;
    } while (lexer.getToken() != Token::End && calls <= bytes.size());
    EXPECT_EQ(lexer.getToken(), Token::End);
    EXPECT_LE(calls, bytes.size());
}

// Nested code is read in place from its parent's text, so the view must be exactly the token.
TEST_F(LexerTest, SourceViewOfBracketedNames) {
    const std::string text = "x<a<b>-> c> <e\\nf> <->";
    CharStream input = CharStream::view(text);
    Lexer lexer(input);
    lexer.nextToken();
    EXPECT_EQ(lexer.getText(), "<a<b>-> c>");
    EXPECT_EQ(lexer.getSourceView(), "<a<b>-> c>");
    EXPECT_EQ(lexer.getSourceView().data(), text.data() + 1);
    lexer.nextToken();
    EXPECT_EQ(lexer.getText(), "<e\nf>");
    EXPECT_TRUE(lexer.getSourceView().empty()); // an escape: the text is not in the input verbatim
    lexer.nextToken();
    EXPECT_EQ(lexer.getText(), "<->");
    EXPECT_TRUE(lexer.getSourceView().empty());
}
