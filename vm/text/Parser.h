// The parser: builds one statement per call, straight from the lexer's tokens.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vm/text/Lexer.h"

class Statement;
using ParameterList = std::vector<std::string>;

class Parser {
public:
    explicit Parser(CharStream& input);
    virtual ~Parser();

    // The next statement, or null at the end of the text or at the first thing that is no statement.
    std::unique_ptr<Statement> parseStatement();

private:
    std::unique_ptr<Statement> parseAssignment(const std::string& target);
    bool parseParameters(ParameterList& list);
    bool parseParameterList(ParameterList& list);
    bool parseParameter(ParameterList& list);

    Lexer lexer_;
};
