// Program texts and their places in the image file.
#include "tools/orvex/SourceText.h"

#include <algorithm>
#include <cstdio>

#include "vm/statements/Statement.h"
#include "vm/symbols/Names.h"
#include "vm/text/Lexer.h"
#include "vm/text/Parser.h"

std::size_t CodeText::imageOffset(std::size_t offset) const {
    // A loop out through the texts each one is written in: their nesting is bounded, but no stack
    // is spent on it anyway.
    for (const CodeText* text = this; text->outer; text = text->outer) {
        const auto& escapes = text->escapes;
        auto after =
            std::upper_bound(escapes.begin(), escapes.end(), std::make_pair(offset, std::size_t(-1)));
        if (after == escapes.begin())
            offset = text->start + offset;
        else
            offset = std::prev(after)->second + (offset - std::prev(after)->first);
    }
    return offset;
}

std::size_t CodeText::outerOffset(std::size_t offset) const {
    auto after = std::upper_bound(escapes.begin(), escapes.end(), std::make_pair(offset, std::size_t(-1)));
    return after == escapes.begin() ? start + offset
                                    : std::prev(after)->second + (offset - std::prev(after)->first);
}

void readStop(const Parser& parser, std::string_view text, TextReading& reading) {
    const Lexer& lexer = parser.lexer();
    reading.found = lexer.getToken();
    reading.at = lexer.tokenStart();
    reading.readAgain = lexer.readAgain();
    reading.expected = parser.expected();
    reading.unfinished = reading.found == Token::End && !reading.readAgain && reading.at < text.size();
    if (reading.found == Token::Identifier || reading.found == Token::Number ||
        reading.found == Token::BracketedName)
        reading.foundText = lexer.getText();
}

namespace {

// The statements, as the evaluation reads them, up to the first thing that is no statement.
void readStatements(std::string_view text, TextReading& reading) {
    CharStream stream = CharStream::view(text);
    Parser parser(stream);
    while (parser.parseStatement())
        ++reading.statements;
    readStop(parser, text, reading);
}

// The same text token by token, all of it: what is skipped and the names written before the stop.
void readTokens(std::string_view text, TextReading& reading) {
    CharStream stream = CharStream::view(text);
    Lexer lexer(stream);
    // The token before, and how many have been read since the last binding's arrow.
    Token previous = Token::End;
    std::size_t identifierStart = 0, sinceArrow = 3;
    for (;;) {
        const Token token = lexer.getToken();
        const std::size_t start = lexer.tokenStart();
        if (!lexer.readAgain() && start < reading.at) {
            if (token == Token::LeftArrow && previous == Token::Identifier) {
                reading.bindings.push_back({reading.identifiers.back(), identifierStart});
                sinceArrow = 0;
            } else if (++sinceArrow == 2 && token == Token::OpenParen &&
                       (previous == Token::Identifier || previous == Token::BracketedName)) {
                reading.bindings.back().byRun = true;
            }
            previous = token;
            if (token == Token::Identifier) identifierStart = start;
        }
        if (lexer.readAgain()) {
            if (start < reading.at) reading.skipped.push_back(start);
        } else if (token == Token::End) {
            return;
        } else if (token == Token::Semicolon) {
            reading.hasSemicolon = true;
        } else if (token == Token::Identifier) {
            reading.identifiers.emplace_back(lexer.getText());
        } else if (token == Token::BracketedName && start < reading.at) {
            reading.names.push_back({start, lexer.tokenEnd(), lexer.takeText()});
        }
        lexer.nextToken();
    }
}

} // namespace

TextReading readText(std::string_view text) {
    TextReading reading;
    readStatements(text, reading);
    readTokens(text, reading);
    return reading;
}

SourceText::SourceText(std::string image) {
    lineStarts_.push_back(0);
    for (std::size_t i = 0; i < image.size(); ++i)
        if (image[i] == '\n') lineStarts_.push_back(i + 1);
    texts_.emplace_back().text = std::move(image);
}

Place SourceText::place(std::size_t imageOffset) const {
    auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), imageOffset);
    const std::size_t line = static_cast<std::size_t>(after - lineStarts_.begin());
    return {line, imageOffset - lineStarts_[line - 1] + 1};
}

std::size_t SourceText::linesAfter(std::size_t imageOffset) const {
    const std::string& text = image().text;
    std::size_t count = 0;
    bool blank = true;
    std::size_t i = text.find('\n', imageOffset);
    if (i == std::string::npos) return 0;
    for (++i; i < text.size(); ++i) {
        if (text[i] == '\n') {
            count += !blank;
            blank = true;
        } else if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r') {
            blank = false;
        }
    }
    return count + !blank;
}

void SourceText::addCodeText(const CodeText& outer, const TextReading::Name& name) {
    if (!isStringLiteral(name.text) || name.text.find(';') == std::string::npos) return;
    CodeText& code = texts_.emplace_back();
    code.text = unquote(name.text);
    code.outer = &outer;
    code.start = name.start + 1;
    code.depth = outer.depth + 1;
    // The name as written: each escape moves the bytes after it against the text read.
    std::string_view written = std::string_view(outer.text).substr(name.start, name.end - name.start);
    if (written.find('\\') != std::string_view::npos) {
        std::size_t read = 0;
        for (std::size_t at = 1; at + 1 < written.size();) {
            if (written[at] == '\\') {
                read += Lexer::escapeText(static_cast<unsigned char>(written[at + 1])).size();
                at += 2;
                code.escapes.emplace_back(read, name.start + at);
            } else {
                ++read;
                ++at;
            }
        }
    }
    byText_.emplace(code.text, &code);
}

const CodeText* SourceText::find(std::string_view text) const {
    auto found = byText_.find(text);
    return found == byText_.end() ? nullptr : found->second;
}

std::string shown(std::string_view text, std::size_t limit) {
    std::string out;
    bool blank = false;
    for (unsigned char ch : text) {
        if (out.size() >= limit) return out + "...";
        const bool isBlank = ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r';
        if (isBlank) {
            if (!blank) out.push_back(' ');
        } else if (ch < 0x20 || ch >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", ch);
            out += hex;
        } else {
            out.push_back(static_cast<char>(ch));
        }
        blank = isBlank;
    }
    return out;
}

std::string describeToken(Token token, std::string_view text) {
    switch (token) {
    case Token::End:
        return "the end of the text";
    case Token::Identifier:
        return "the name '" + shown(text, 40) + "'";
    case Token::BracketedName:
        return "the bracketed name '" + shown(text, 40) + "'";
    case Token::Number:
        return "the number '" + shown(text, 40) + "' (a number is written in brackets: <" + shown(text, 40) +
               ">)";
    case Token::Comment:
        return "a comment";
    case Token::LeftArrow:
        return "'<-'";
    case Token::RightArrow:
        return "'->'";
    case Token::EqualEqual:
        return "'=='";
    default:
        break;
    }
    static constexpr std::pair<Token, char> single[] = {
        {Token::Semicolon, ';'}, {Token::Dot, '.'},        {Token::Comma, ','},   {Token::Colon, ':'},
        {Token::OpenParen, '('}, {Token::CloseParen, ')'}, {Token::Greater, '>'}, {Token::Plus, '+'},
        {Token::Star, '*'},      {Token::Minus, '-'},      {Token::Slash, '/'},   {Token::Percent, '%'},
        {Token::Backslash, '\\'}};
    for (const auto& [code, ch] : single)
        if (code == token) return std::string("'") + ch + "'";
    return "a token";
}

std::string describeExpected(TokenSet expected) {
    std::vector<std::string> words;
    const TokenSet names = tokenBit(Token::Identifier) | tokenBit(Token::BracketedName);
    if ((expected & names) == names)
        words.push_back("a name");
    else if (expected & tokenBit(Token::Identifier))
        words.push_back("an identifier");
    else if (expected & tokenBit(Token::BracketedName))
        words.push_back("a bracketed name");
    static constexpr std::pair<Token, const char*> others[] = {
        {Token::RightArrow, "'->'"}, {Token::Comment, "a comment"}, {Token::LeftArrow, "'<-'"},
        {Token::Colon, "':'"},       {Token::OpenParen, "'('"},     {Token::CloseParen, "')'"},
        {Token::Comma, "','"},       {Token::Semicolon, "';'"}};
    for (const auto& [token, word] : others)
        if (expected & tokenBit(token)) words.push_back(word);
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) out += i + 1 == words.size() ? " or " : ", ";
        out += words[i];
    }
    return out;
}

std::string skippedCharacter(std::string_view text, std::size_t at) {
    return "the character '" + shown(text.substr(at, 1), 4) + "'";
}

namespace {

bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// What the writer most likely meant, where the stop has a usual cause: the forms of other languages
// (operators, '=', numbers without brackets, expressions as parameters) and Orvex's own traps.
std::string likelyFix(std::string_view text, const TextReading& reading) {
    const TokenSet expected = reading.expected;
    auto needs = [expected](Token token) { return (expected & tokenBit(token)) != 0; };
    switch (reading.found) {
    case Token::Identifier:
        if (needs(Token::BracketedName) && !needs(Token::Identifier))
            return "a member's name is written in brackets: <" + shown(reading.foundText, 40) + ">";
        break;
    case Token::LeftArrow:
        if (reading.at + 2 < text.size() && isDigit(text[reading.at + 2])) {
            std::size_t end = reading.at + 2;
            while (end < text.size() && (isDigit(text[end]) || text[end] == '.'))
                ++end;
            return "a negative number is written <\\-" +
                   std::string(text.substr(reading.at + 2, end - reading.at - 2)) +
                   ">: '<-' is always the arrow";
        }
        if (needs(Token::Colon) && !needs(Token::LeftArrow) && !needs(Token::Semicolon))
            return "a bracketed name is a value, not a name to bind: write the name without brackets";
        break;
    case Token::Colon:
        if (needs(Token::Comma))
            return "a parameter is a name: bind the value to a name first, and pass that name";
        break;
    case Token::EqualEqual:
        return "names are compared with Extern : <invoke> ( String , <==> , a , b )";
    case Token::Plus:
    case Token::Minus:
    case Token::Star:
    case Token::Slash:
    case Token::Percent:
        return "Orvex has no operators: Extern : <invoke> ( String , <+> , a , b ) computes";
    default:
        break;
    }
    if (reading.readAgain && reading.at < text.size() && text[reading.at] == '=')
        return "a name is bound with '<-', and compared with Extern : <invoke> ( String , <==> , a , b )";
    return {};
}

std::string whyItStops(std::string_view text, const TextReading& reading);

} // namespace

// What the reader meets where a text stops.
std::string stopReason(std::string_view text, const TextReading& reading) {
    std::string reason = whyItStops(text, reading);
    if (const std::string fix = likelyFix(text, reading); !fix.empty()) reason += " (" + fix + ")";
    return reason;
}

namespace {
std::string whyItStops(std::string_view text, const TextReading& reading) {
    // Editors on Windows save with a byte-order mark, or as UTF-16: nothing of such a file is read.
    if (reading.readAgain && reading.found == Token::End && reading.at == 0) {
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            return "the text starts with a UTF-8 byte-order mark (the bytes EF BB BF), which starts no "
                   "token, so "
                   "nothing of it is read; save the file as UTF-8 without a byte-order mark";
        if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF")
            return "the text is UTF-16 (it starts with a byte-order mark, the bytes " +
                   shown(text.substr(0, 2), 8) +
                   "), whose bytes start no token, so nothing of it is read; "
                   "save the file as UTF-8";
    }
    if (reading.readAgain && reading.at < text.size() && text[reading.at] == '\0')
        return "a zero byte starts no token: the text looks like UTF-16, two bytes a character; save the "
               "file as "
               "UTF-8";
    if (reading.unfinished && text.substr(reading.at, 3) == "<<>")
        return "this bracketed name is never closed: '<<>' cannot be written, since '<<' opens a name inside "
               "the name (count to a limit with <==> instead)";
    if (reading.unfinished)
        return text[reading.at] == '\\'
                   ? "this comment is never closed (a backslash and a star close it)"
                   : "this bracketed name is never closed (each '<' in it needs its own '>')";
    std::string reason;
    if (reading.readAgain) {
        reason = skippedCharacter(text, reading.at) + " starts no token";
        if (reading.found == Token::End) return reason + " and comes before any token";
        reason +=
            ", so " + describeToken(reading.found, reading.foundText) + " before it is read again, and ";
    }
    if (reading.found == Token::Semicolon && reading.expected & tokenBit(Token::Comment))
        return reason + "a lone ';' ends the text";
    reason += "found " + describeToken(reading.found, reading.foundText);
    if (reading.expected & tokenBit(Token::Comment)) return reason + ", which starts no statement";
    return reason + " where the statement needs " + describeExpected(reading.expected);
}
} // namespace

std::string stopReason(const CodeText& code, const TextReading& reading) {
    std::string reason = stopReason(code.text, reading);
    // A backslash and a star inside a bracketed name are an escape, dropped: the comment's words are
    // read as statements.
    if (code.outer && !reading.cleanEnd()) {
        const std::string_view outer = code.outer->text;
        const std::size_t end = std::min(code.outerOffset(reading.at), outer.size());
        if (end > code.start &&
            outer.substr(code.start, end - code.start).find("\\*") != std::string_view::npos)
            reason +=
                " (a comment cannot stand inside a code text: its '\\*' is dropped there, and its words are "
                "read as statements)";
    }
    return reason;
}

std::size_t missingSemicolon(std::string_view text, const TextReading& reading) {
    if (reading.found == Token::End || reading.readAgain || !(reading.expected & tokenBit(Token::Semicolon)))
        return std::string_view::npos;
    std::size_t end = reading.at;
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\n'))
        --end;
    return text.substr(end, reading.at - end).find('\n') == std::string_view::npos ? std::string_view::npos
                                                                                   : end;
}

namespace {
// Edits (insert, delete, replace, swap two neighbours) from a to b.
std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> previous(b.size() + 1), before(b.size() + 1), row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                row[j] = std::min(row[j], before[j - 2] + 1);
        }
        before.swap(previous);
        previous.swap(row);
    }
    return previous[b.size()];
}
} // namespace

// Short names are too alike to guess between: a name of four letters or more, a slip of one edit in
// four letters.
std::string closestName(std::string_view name, const std::vector<std::string>& names) {
    if (name.size() < 4) return {};
    const std::size_t most = name.size() / 4;
    std::string best;
    std::size_t bestDistance = most + 1;
    for (const std::string& candidate : names) {
        if (candidate == name || candidate.size() + most < name.size() ||
            name.size() + most < candidate.size())
            continue;
        const std::size_t distance = editDistance(name, candidate);
        if (distance < bestDistance) bestDistance = distance, best = candidate;
    }
    return best;
}

bool losesNothing(std::string_view text, const TextReading& reading) {
    if (reading.cleanEnd()) return true;
    return reading.found == Token::Semicolon && !reading.readAgain &&
           text.find_first_not_of(" \t\n", reading.at + 1) == std::string_view::npos;
}
