// The lexer: reads program text one token at a time, never further than the token needs.
#include "vm/text/Lexer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Plain ASCII classes: program text is bytes, and no locale may turn a byte into a letter.
// One table answers every question the lexer asks of a byte.
enum ByteClass : std::uint8_t {
    digitByte = 1,     // starts and continues a number
    letterByte = 2,    // starts an identifier, with '_'
    specialInName = 4, // a byte a bracketed name reacts to: depth, escapes
    spaceByte = 8,     // skipped between tokens
};

constexpr std::array<std::uint8_t, 256> byteClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (int c = '0'; c <= '9'; ++c)
        classes[c] = digitByte;
    for (int c = 'A'; c <= 'Z'; ++c)
        classes[c] = letterByte;
    for (int c = 'a'; c <= 'z'; ++c)
        classes[c] = letterByte;
    classes['_'] = letterByte;
    for (unsigned char c : {'<', '-', '>', '\\'})
        classes[c] = specialInName;
    for (unsigned char c : {' ', '\t', '\n'})
        classes[c] |= spaceByte;
    return classes;
}();

bool is(unsigned char byte, std::uint8_t classes) {
    return (byteClasses[byte] & classes) != 0;
}

// Where the run of bytes from at that a bracketed name does not react to ends: at the next special
// byte, or the end. Sixteen at a time where the processor compares sixteen at once (every x86-64).
std::size_t ordinaryRunEnd(std::string_view text, std::size_t at) {
#ifdef __SSE2__
    for (; at + 16 <= text.size(); at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        const auto equal = [bytes](char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
        const __m128i special =
            _mm_or_si128(_mm_or_si128(equal('<'), equal('>')), _mm_or_si128(equal('-'), equal('\\')));
        if (const auto found = static_cast<unsigned>(_mm_movemask_epi8(special)))
            return at + static_cast<std::size_t>(std::countr_zero(found));
    }
#endif
    while (at < text.size() && !is(static_cast<unsigned char>(text[at]), specialInName))
        ++at;
    return at;
}

} // namespace

Lexer::Lexer(CharStream& input) : input_(input), linesCountedTo_(input.position()) {
    nextToken();
}

// The line number stops at its maximum instead of overflowing on an absurdly long text.
std::int32_t Lexer::getLine() const {
    const std::string_view text = input_.text();
    const std::size_t end = consumed();
    newlinesRead_ +=
        static_cast<std::size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(linesCountedTo_),
                                            text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
    linesCountedTo_ = end;
    const std::size_t line = 1 + newlinesRead_ - newlinesDropped_;
    return line < std::numeric_limits<std::int32_t>::max() ? static_cast<std::int32_t>(line)
                                                           : std::numeric_limits<std::int32_t>::max();
}

Lexer::~Lexer() = default;

int Lexer::peek(std::size_t at) const {
    std::string_view text = input_.text();
    return at < text.size() ? static_cast<unsigned char>(text[at]) : CharStream::End;
}

void Lexer::moveTo(std::size_t at) {
    input_.skip(at - input_.position());
}

void Lexer::nextToken() {
    const std::string_view text = input_.text();
    std::size_t at = input_.position();
    while (at < text.size() && is(static_cast<unsigned char>(text[at]), spaceByte))
        ++at;
    if (at == text.size()) {
        moveTo(at);
        token_ = Token::End;
        unfinished_ = false;
        skippedEnd_ = std::size_t(-1); // the end reads nothing: a character skipped just before stays behind
        return;
    }
    const std::size_t start = at;
    const auto ch = static_cast<unsigned char>(text[at++]);
    moveTo(at);
    switch (ch) {
    // The tokens that are their one character; '>' closes a bracketed name, but alone it is a token too.
    case ';':
        token_ = Token::Semicolon;
        return;
    case '.':
        token_ = Token::Dot;
        return;
    case ',':
        token_ = Token::Comma;
        return;
    case ':':
        token_ = Token::Colon;
        return;
    case '(':
        token_ = Token::OpenParen;
        return;
    case ')':
        token_ = Token::CloseParen;
        return;
    case '>':
        token_ = Token::Greater;
        return;
    case '+':
        token_ = Token::Plus;
        return;
    case '*':
        token_ = Token::Star;
        return;
    case '/':
        token_ = Token::Slash;
        return;
    case '%':
        token_ = Token::Percent;
        return;
    case '-':
        if (peek(at) == '>') {
            moveTo(at + 1);
            token_ = Token::RightArrow;
            return;
        }
        token_ = Token::Minus;
        return;
    case '=':
        if (peek(at) == '=') {
            moveTo(at + 1);
            token_ = Token::EqualEqual;
            return;
        }
        // A lone '=' starts no token, like the characters of the default case.
        skippedEnd_ = at;
        return;
    case '\\':
        if (peek(at) == '*') {
            commentStart_ = start;
            readComment(at + 1);
            return;
        }
        token_ = Token::Backslash;
        return;
    case '<':
        readAfterLess(start);
        return;
    default:
        break;
    }
    if (is(ch, digitByte | letterByte)) {
        // A number is digits; an identifier is a letter or '_' and then any of the three.
        const std::uint8_t part = is(ch, digitByte) ? digitByte : digitByte | letterByte;
        while (at < text.size() && is(static_cast<unsigned char>(text[at]), part))
            ++at;
        moveTo(at);
        text_ = text.substr(start, at - start);
        token_ = part == digitByte ? Token::Number : Token::Identifier;
        return;
    }
    // Any other character starts no token: it is dropped and the current token stays as it was, so
    // the parser sees it again. Existing programs depend on where that stops them, so it is kept.
    skippedEnd_ = at;
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

// "<-" is an arrow, "<->" the one name that starts like an arrow, anything else opens a name.
void Lexer::readAfterLess(std::size_t start) {
    if (peek(start + 1) != '-') {
        readBracketedName(start);
        return;
    }
    if (peek(start + 2) == '>') {
        moveTo(start + 3);
        token_ = Token::BracketedName;
        nameStart_ = start;
        text_ = "<->";
        sourceView_ = {};
        return;
    }
    moveTo(start + 2);
    token_ = Token::LeftArrow;
}

// The closing pair may reuse the opening backslash, so a backslash and two stars already make a
// whole comment. An unfinished comment is lost: the token is the end of input.
void Lexer::readComment(std::size_t at) {
    const std::string_view text = input_.text();
    for (std::size_t star = text.find('*', at); star != std::string_view::npos;
         star = text.find('*', star + 1)) {
        if (star == at || text[star - 1] == '\\') {
            moveTo(star + 1);
            token_ = Token::Comment;
            return;
        }
    }
    moveTo(text.size());
    token_ = Token::End;
    unfinished_ = true;
}

// The name runs to the '>' that brings the depth back to 0. Arrows inside it ("<-", "->") open
// and close no level. The depth is a counter, not recursion, so nesting costs no stack. Most of
// a name is bytes that no rule looks at: they are passed over a run at a time, and a name without
// an escape that changes bytes (only "\<" and "\>" keep theirs) is its own bytes in the input,
// never copied.
void Lexer::readBracketedName(std::size_t start) {
    const std::string_view text = input_.text();
    std::size_t at = start + 1;
    std::size_t copied = start; // with an escape: the input up to here is in building_
    bool escaped = false;
    std::int64_t depth = 1;
    int previous = '<';
    while (depth > 0) {
        if (const std::size_t end = ordinaryRunEnd(text, at); end != at) {
            at = end;
            previous = 0; // an ordinary byte: no arrow rule looks back at it
        }
        if (at == text.size()) break;
        const auto ch = static_cast<unsigned char>(text[at++]);
        switch (ch) {
        case '<':
            ++depth;
            break;
        case '-':
            if (previous == '<') --depth;
            break;
        case '>':
            if (previous != '-') --depth;
            break;
        default: { // '\\'
            // The escaped character stands in for the current one, so it takes part in the arrow
            // rules of the next character even though it never changes the depth itself.
            const int next = peek(at);
            if (next == '<' || next == '>') {
                // An escaped bracket keeps its backslash: the text is still the input's own bytes.
                ++at;
                previous = next;
                continue;
            }
            if (!escaped) building_.clear();
            escaped = true;
            building_.append(text.substr(copied, at - 1 - copied));
            if (next == '\n') ++newlinesDropped_;
            if (next == CharStream::End) {
                copied = at;
                previous = CharStream::End;
                continue;
            }
            building_ += escapeText(next);
            copied = ++at;
            previous = next;
            continue;
        }
        }
        previous = ch;
    }
    moveTo(at);
    if (depth > 0) {
        token_ = Token::End;
        unfinished_ = true;
        commentStart_ = start; // where the unfinished text began, as for a comment
        return;
    }
    nameStart_ = start;
    token_ = Token::BracketedName;
    if (escaped) {
        building_.append(text.substr(copied, at - copied));
        // The text of the token before stays readable until this one replaces it.
        std::swap(building_, escapedText_);
        text_ = escapedText_;
        sourceView_ = {};
    } else {
        text_ = text.substr(start, at - start);
        sourceView_ = text_;
    }
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
