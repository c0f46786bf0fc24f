// The parser: builds one statement per call, straight from the lexer's tokens.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vm/object/Names.h"
#include "vm/text/Lexer.h"

class Statement;

class Parser {
  public:
    explicit Parser(CharStream& input);
    ~Parser();

    // The next statement, or null at the end of the text or at the first thing that is no statement.
    std::unique_ptr<Statement> parseStatement();

  private:
    std::unique_ptr<Statement> parseAssignment(const std::string& target);
    // What may follow a consumed NAME; target is empty outside an assignment tail.
    std::unique_ptr<Statement> parseAfterName(Token kind, const std::string& name, const std::string& target,
                                              bool inAssignment);
    // "( PARAMS ) ;" and ") PARAMS ( ;", starting at their first parenthesis.
    bool parseSynchronousCall(ParameterList& list);
    bool parseAsynchronousCall(ParameterList& list);
    // Consumes the current token when it is the expected one.
    bool accept(Token expected);
    bool parseParameters(ParameterList& list);
    bool parseParameterList(ParameterList& list);
    bool parseParameter(ParameterList& list);

    Lexer lexer_;
    // Where the statement's leading name stands in the input, when it is there verbatim.
    std::string_view nameSource_;
};
