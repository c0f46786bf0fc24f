// The lexer: reads program text one token at a time, never further than the token needs.
#include "vm/text/Lexer.h"

#include <limits>
#include <utility>

namespace {

// Plain ASCII classes: program text is bytes, and no locale may turn a byte into a letter.
bool isDigit(int ch) {
    return ch >= '0' && ch <= '9';
}
bool isLetter(int ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}
bool isIdentifierPart(int ch) {
    return isDigit(ch) || isLetter(ch) || ch == '_';
}

// The bytes a bracketed name reacts to: line ends are counted, the rest move the depth or escape.
bool isSpecialInName(int ch) {
    return ch == '\n' || ch == '<' || ch == '-' || ch == '>' || ch == '\\';
}

// The line number stops at its maximum instead of overflowing on an absurdly long text.
void countLine(std::int32_t& line) {
    if (line < std::numeric_limits<std::int32_t>::max()) ++line;
}

// The tokens that are their one character; '>' closes a bracketed name, but alone it is a token too.
constexpr std::pair<char, Token> singleCharacterTokens[] = {
    {';', Token::Semicolon}, {'.', Token::Dot},        {',', Token::Comma},   {':', Token::Colon},
    {'(', Token::OpenParen}, {')', Token::CloseParen}, {'>', Token::Greater}, {'+', Token::Plus},
    {'*', Token::Star},      {'/', Token::Slash},      {'%', Token::Percent}};

} // namespace

Lexer::Lexer(CharStream& input) : input_(input) {
    nextToken();
}

Lexer::~Lexer() = default;

int Lexer::readChar() {
    if (pushback_.empty()) return input_.get();
    const int ch = static_cast<unsigned char>(pushback_.back());
    pushback_.pop_back();
    return ch;
}

void Lexer::unreadChar(int ch) {
    // The stream repeats its end on every later read, so the end never needs to be given back.
    if (ch != CharStream::End) pushback_.push_back(static_cast<char>(ch));
}

void Lexer::nextToken() {
    int ch = readChar();
    while (ch == ' ' || ch == '\t' || ch == '\n') {
        if (ch == '\n') countLine(line_);
        ch = readChar();
    }
    if (ch == CharStream::End) {
        token_ = Token::End;
        unfinished_ = false;
        skippedEnd_ = std::size_t(-1); // the end reads nothing: a character skipped just before stays behind
        return;
    }
    for (const auto& [character, token] : singleCharacterTokens) {
        if (ch == character) {
            token_ = token;
            return;
        }
    }

    switch (ch) {
    case '-': {
        const int next = readChar();
        if (next == '>') {
            token_ = Token::RightArrow;
            return;
        }
        unreadChar(next);
        token_ = Token::Minus;
        return;
    }
    case '=': {
        const int next = readChar();
        if (next == '=') {
            token_ = Token::EqualEqual;
            return;
        }
        // A lone '=' starts no token, like the characters of the default case.
        unreadChar(next);
        skippedEnd_ = consumed();
        return;
    }
    case '\\': {
        const int next = readChar();
        if (next == '*') {
            commentStart_ = consumed() - 2;
            readComment();
            return;
        }
        unreadChar(next);
        token_ = Token::Backslash;
        return;
    }
    case '<':
        readAfterLess(consumed() - 1);
        return;
    default:
        break;
    }

    if (isDigit(ch)) {
        text_ = readRun(ch, isDigit);
        token_ = Token::Number;
    } else if (isLetter(ch) || ch == '_') {
        text_ = readRun(ch, isIdentifierPart);
        token_ = Token::Identifier;
    } else {
        skippedEnd_ = consumed();
    }
    // Any other character starts no token: it is dropped and the current token stays as it was, so
    // the parser sees it again. Existing programs depend on where that stops them, so it is kept.
}

std::size_t Lexer::tokenStart() const {
    const std::size_t end = consumed();
    if (readAgain()) return end - 1;
    switch (token_) {
    case Token::End:
        return unfinished_ ? commentStart_ : end;
    case Token::Comment:
        return commentStart_;
    case Token::BracketedName:
        return nameStart_;
    case Token::Number:
    case Token::Identifier:
        return end - text_.size();
    case Token::LeftArrow:
    case Token::RightArrow:
    case Token::EqualEqual:
        return end - 2;
    default:
        return end - 1;
    }
}

std::string Lexer::readRun(int first, bool (*belongs)(int)) {
    std::string run(1, static_cast<char>(first));
    int ch = readChar();
    while (belongs(ch)) {
        run.push_back(static_cast<char>(ch));
        ch = readChar();
    }
    unreadChar(ch);
    return run;
}

// "<-" is an arrow, "<->" the one name that starts like an arrow, anything else opens a name.
void Lexer::readAfterLess(std::size_t start) {
    const int second = readChar();
    if (second != '-') {
        unreadChar(second);
        readBracketedName(start);
        return;
    }
    const int third = readChar();
    if (third == '>') {
        token_ = Token::BracketedName;
        nameStart_ = start;
        text_ = "<->";
        sourceView_ = {};
        return;
    }
    unreadChar(third);
    token_ = Token::LeftArrow;
}

// The closing pair may reuse the opening backslash, so a backslash and two stars already make a
// whole comment. An unfinished comment is lost: the token is the end of input.
void Lexer::readComment() {
    int previous = '*';
    int current = '\\';
    for (;;) {
        if (previous == '\\' && current == '*') {
            token_ = Token::Comment;
            return;
        }
        if (current == CharStream::End) {
            token_ = Token::End;
            unfinished_ = true;
            return;
        }
        previous = current;
        current = readChar();
        if (current == '\n') countLine(line_);
    }
}

// Most of a bracketed name is bytes that no rule looks at: copied a run at a time, straight from
// the input, when nothing was given back. Answers the last byte copied, the current one.
int Lexer::copyOrdinaryRun(std::string& buffer, int current) {
    if (!pushback_.empty()) return current;
    std::string_view rest = input_.text().substr(input_.position());
    std::size_t n = 0;
    while (n < rest.size() && !isSpecialInName(static_cast<unsigned char>(rest[n])))
        ++n;
    if (n == 0) return current;
    buffer.append(rest.data(), n);
    input_.skip(n);
    return static_cast<unsigned char>(rest[n - 1]);
}

// The name runs to the '>' that brings the depth back to 0. Arrows inside it ("<-", "->") open
// and close no level. The depth is a counter, not recursion, so nesting costs no stack.
void Lexer::readBracketedName(std::size_t start) {
    std::string buffer(1, '<');
    bool escaped = false;
    std::int64_t depth = 1;
    int current = '<';
    while (depth > 0 && current != CharStream::End) {
        const int previous = current;
        current = readChar();
        switch (current) {
        case CharStream::End:
            break;
        case '\n':
            buffer.push_back('\n');
            countLine(line_);
            break;
        case '<':
            buffer.push_back('<');
            ++depth;
            break;
        case '-':
            buffer.push_back('-');
            if (previous == '<') --depth;
            break;
        case '>':
            buffer.push_back('>');
            if (previous != '-') --depth;
            break;
        case '\\':
            // The escaped character stands in for the current one, so it takes part in the arrow
            // rules of the next character even though it never changes the depth itself.
            current = readEscape(buffer);
            escaped = true;
            break;
        default:
            buffer.push_back(static_cast<char>(current));
            current = copyOrdinaryRun(buffer, current);
            break;
        }
    }
    if (current == CharStream::End) {
        token_ = Token::End;
        unfinished_ = true;
        commentStart_ = start; // where the unfinished text began, as for a comment
        return;
    }
    nameStart_ = start;
    token_ = Token::BracketedName;
    text_ = std::move(buffer);
    sourceView_ = escaped ? std::string_view() : input_.text().substr(start, consumed() - start);
}

std::string_view Lexer::escapeText(int escaped) {
    switch (escaped) {
    case '-':
        return "-";
    case '<':
        return "\\<";
    case '>':
        return "\\>";
    case '\\':
        return "\\";
    case 'n':
        return "\n";
    case 't':
        return "\t";
    // Any other character is dropped with its backslash; a dropped newline counts no line.
    default:
        return {};
    }
}

int Lexer::readEscape(std::string& buffer) {
    const int escaped = readChar();
    buffer += escapeText(escaped);
    return escaped;
}
