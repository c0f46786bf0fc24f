// The parser: one statement per call, one token of look-ahead, no tree and no error recovery.
#include "vm/text/Parser.h"

#include <utility>

#include "vm/statements/EvaluationStatements.h"
#include "vm/statements/MemberEvaluationStatements.h"
#include "vm/statements/ReferenceStatements.h"
#include "vm/statements/Statement.h"

namespace {

constexpr TokenSet nameTokens = tokenBit(Token::Identifier) | tokenBit(Token::BracketedName);
constexpr TokenSet statementStart = tokenBit(Token::Identifier) | tokenBit(Token::BracketedName) |
                                    tokenBit(Token::RightArrow) | tokenBit(Token::Comment);

} // namespace

Parser::Parser(CharStream& input) : lexer_(input) {}

Parser::~Parser() = default;

// Every form is decided by its first one or two tokens, so a plain descent without backtracking
// reads it. A statement is made only once its ';' has been consumed: the current token is then
// the first of the next statement, and a text cut short in the middle yields nothing.
std::unique_ptr<Statement> Parser::parseStatement() {
    switch (lexer_.getToken()) {
    case Token::Semicolon:
        // A lone ';' ends the text. It stays the current token: nobody reads on after it.
        expect(statementStart);
        return nullptr;
    case Token::Comment:
        lexer_.nextToken();
        return std::make_unique<CommentStatement>();
    case Token::RightArrow: {
        lexer_.nextToken();
        if (!at(Token::Identifier)) return nullptr;
        const Symbol& name = intern(lexer_.getText());
        lexer_.nextToken();
        if (!accept(Token::Semicolon)) return nullptr;
        return std::make_unique<NewReferenceStatement>(name);
    }
    case Token::Identifier:
    case Token::BracketedName: {
        const Token kind = lexer_.getToken();
        nameSource_ = lexer_.getSourceView();
        const std::string_view name = keepText(nameCopy_);
        lexer_.nextToken();
        // Only an identifier can be a target.
        if (kind == Token::Identifier && lexer_.getToken() == Token::LeftArrow) {
            lexer_.nextToken();
            return parseAssignment(name);
        }
        return parseAfterName(kind, name, std::string_view(), false);
    }
    default:
        expect(statementStart);
        return nullptr;
    }
}

std::string_view Parser::keepText(Text& copy) {
    if (lexer_.textInInput()) return lexer_.getText();
    copy = lexer_.getText();
    return copy;
}

std::unique_ptr<Statement> Parser::parseAssignment(std::string_view target) {
    const Token kind = lexer_.getToken();
    if (!atName()) return nullptr;
    nameSource_ = lexer_.getSourceView();
    const std::string_view name = keepText(valueCopy_);
    lexer_.nextToken();
    return parseAfterName(kind, name, target, true);
}

// The calls read the same at the start of a statement and after "T <-"; copying a name (";") and
// reading a member without a call ("NAME : BRACKET ;") need a target and exist only after "T <-".
// The asynchronous forms leave their result to no one, so the target is not passed on.
std::unique_ptr<Statement> Parser::parseAfterName(Token kind, std::string_view name, std::string_view target,
                                                  bool inAssignment) {
    ParameterList parameters;
    const TokenSet calls = tokenBit(Token::OpenParen) | tokenBit(Token::CloseParen);
    const TokenSet copies = inAssignment ? tokenBit(Token::Semicolon) : 0;
    switch (lexer_.getToken()) {
    case Token::Semicolon:
        if (!inAssignment) break;
        lexer_.nextToken();
        return std::make_unique<AssignReferenceStatement>(intern(name), intern(target));
    case Token::Colon: {
        lexer_.nextToken();
        if (!at(Token::BracketedName)) return nullptr;
        const Symbol& member = intern(lexer_.getText());
        lexer_.nextToken();
        if (lexer_.getToken() == Token::Semicolon && inAssignment) {
            lexer_.nextToken();
            return std::make_unique<MemberAccessStatement>(intern(name), member, intern(target));
        }
        if (lexer_.getToken() == Token::OpenParen) {
            if (!parseSynchronousCall(parameters)) return nullptr;
            return std::make_unique<SynchronousMemberEvaluationStatement>(
                intern(name), member, std::move(parameters), intern(target));
        }
        if (lexer_.getToken() != Token::CloseParen) return expect(copies | calls), nullptr;
        if (!parseAsynchronousCall(parameters)) return nullptr;
        return std::make_unique<AsynchronousMemberEvaluationStatement>(intern(name), member,
                                                                       std::move(parameters));
    }
    case Token::OpenParen:
        if (!parseSynchronousCall(parameters)) return nullptr;
        if (kind == Token::Identifier)
            return std::make_unique<SynchronousReferenceEvaluationStatement>(
                intern(name), std::move(parameters), intern(target));
        return std::make_unique<SynchronousStringEvaluationStatement>(name, std::move(parameters),
                                                                      intern(target), nameSource_);
    case Token::CloseParen:
        if (!parseAsynchronousCall(parameters)) return nullptr;
        if (kind == Token::Identifier)
            return std::make_unique<AsynchronousReferenceEvaluationStatement>(intern(name),
                                                                              std::move(parameters));
        return std::make_unique<AsynchronousStringEvaluationStatement>(name, std::move(parameters),
                                                                       nameSource_);
    default:
        break;
    }
    const bool couldAssign = kind == Token::Identifier && !inAssignment;
    expect(copies | calls | tokenBit(Token::Colon) | (couldAssign ? tokenBit(Token::LeftArrow) : 0));
    return nullptr;
}

bool Parser::parseSynchronousCall(ParameterList& list) {
    return accept(Token::OpenParen) && parseParameters(list) && closeParameters(Token::CloseParen, list) &&
           accept(Token::Semicolon);
}

// The asynchronous call writes its parentheses the other way round.
bool Parser::parseAsynchronousCall(ParameterList& list) {
    return accept(Token::CloseParen) && parseParameters(list) && closeParameters(Token::OpenParen, list) &&
           accept(Token::Semicolon);
}

// Where the list could also have gone on: with a name when empty, with ',' after a name.
bool Parser::closeParameters(Token closing, const ParameterList& list) {
    if (lexer_.getToken() == closing) {
        lexer_.nextToken();
        return true;
    }
    expect(tokenBit(closing) | (list.empty() ? nameTokens : tokenBit(Token::Comma)));
    return false;
}

bool Parser::at(Token token) {
    if (lexer_.getToken() == token) return true;
    expect(tokenBit(token));
    return false;
}

bool Parser::atName() {
    if (lexer_.getToken() == Token::Identifier || lexer_.getToken() == Token::BracketedName) return true;
    expect(nameTokens);
    return false;
}

// Noted only where a statement fails, so a statement read without fault costs nothing more.
void Parser::expect(TokenSet tokens) {
    expected_ = tokens;
}

bool Parser::accept(Token expected) {
    if (!at(expected)) return false;
    lexer_.nextToken();
    return true;
}

// An empty list consumes nothing; the closing parenthesis that must follow decides.
bool Parser::parseParameters(ParameterList& list) {
    if (lexer_.getToken() != Token::Identifier && lexer_.getToken() != Token::BracketedName) return true;
    return parseParameterList(list);
}

// A ',' must be followed by another name: "f(a,);" is no statement.
bool Parser::parseParameterList(ParameterList& list) {
    for (;;) {
        if (!parseParameter(list)) return false;
        if (lexer_.getToken() != Token::Comma) return true;
        lexer_.nextToken();
    }
}

bool Parser::parseParameter(ParameterList& list) {
    if (!atName()) return false;
    if (list.empty()) list.reserve(4);
    list.push_back(&intern(lexer_.getText()));
    lexer_.nextToken();
    return true;
}
