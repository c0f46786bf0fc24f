// The parser: builds one statement per call, straight from the lexer's tokens.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vm/symbols/Names.h"
#include "vm/text/Lexer.h"

class Statement;

// Made and dropped with every text read as code: from the runtime's memory.
class Parser : public SmallObject {
  public:
    explicit Parser(CharStream& input);
    ~Parser();

    // The next statement, or null at the end of the text or at the first thing that is no statement.
    std::unique_ptr<Statement> parseStatement();

    // Where parseStatement answered null, for a tool that says why: the current token is what
    // no statement takes (a lone ';' included, which is left unread), and expected() what the
    // statement could have had there instead.
    const Lexer& lexer() const { return lexer_; }
    TokenSet expected() const { return expected_; }

  private:
    std::unique_ptr<Statement> parseAssignment(std::string_view target);
    // What may follow a consumed NAME; target is empty outside an assignment tail.
    std::unique_ptr<Statement> parseAfterName(Token kind, std::string_view name, std::string_view target,
                                              bool inAssignment);
    // The current text, kept past the next tokens: a view of the input when it is there, else
    // a copy in copy.
    std::string_view keepText(Text& copy);
    // "( PARAMS ) ;" and ") PARAMS ( ;", starting at their first parenthesis.
    bool parseSynchronousCall(ParameterList& list);
    bool parseAsynchronousCall(ParameterList& list);
    // Whether the current token is that one; when not, it joins what was expected here.
    bool at(Token token);
    bool atName();
    // Notes tokens that the current place could have had.
    void expect(TokenSet tokens);
    // Consumes the current token when it is the expected one.
    bool accept(Token expected);
    bool parseParameters(ParameterList& list);
    bool closeParameters(Token closing, const ParameterList& list);
    bool parseParameterList(ParameterList& list);
    bool parseParameter(ParameterList& list);

    Lexer lexer_;
    // Where the statement's leading name stands in the input, when it is there verbatim.
    std::string_view nameSource_;
    Text nameCopy_, valueCopy_; // names with escapes, kept for the statement being read
    TokenSet expected_ = 0;
};
