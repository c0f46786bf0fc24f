// What a program binds and where.
#include "tools/orvex/Outline.h"

#include <algorithm>

#include "vm/text/CharStream.h"
#include "vm/text/Lexer.h"

namespace {

bool isCode(std::string_view bracketedName) {
    return bracketedName.find(';') != std::string_view::npos;
}

} // namespace

void Outline::firstPlace(std::unordered_map<std::string, Span>& places, std::string_view name, Span at) {
    auto [place, made] = places.try_emplace(std::string(name), at);
    if (!made && at.start < place->second.start) place->second = at;
}

OutlineSymbol* Outline::topLevel(std::string_view name) {
    for (OutlineSymbol& symbol : symbols_)
        if (symbol.name == name) return &symbol;
    return nullptr;
}

void Outline::add(const CodeText& code) {
    const std::size_t first = tokens_.size();
    CharStream stream = CharStream::view(code.text);
    Lexer lexer(stream);
    for (; lexer.getToken() != Token::End || lexer.readAgain(); lexer.nextToken()) {
        if (lexer.readAgain()) continue;
        const std::size_t start = lexer.tokenStart(), end = lexer.tokenEnd();
        if (end <= start) continue;
        tokens_.push_back({{code.imageOffset(start), code.imageOffset(end - 1) + 1},
                           lexer.getToken(),
                           std::string_view(code.text).substr(start, end - start),
                           code.depth});
    }
    // Statement by statement: what each one binds, declares or sets.
    const auto at = [this](std::size_t i) -> const OutlineToken& { return tokens_[i]; };
    const auto is = [this](std::size_t i, Token token) {
        return i < tokens_.size() && tokens_[i].token == token;
    };
    for (std::size_t begin = first; begin < tokens_.size();) {
        std::size_t end = begin;
        while (end < tokens_.size() && tokens_[end].token != Token::Semicolon)
            ++end;
        const Span whole{at(begin).span.start,
                         end < tokens_.size() ? at(end).span.end : tokens_.back().span.end};
        const bool top = code.depth == 0;
        if (is(begin, Token::Identifier) && is(begin + 1, Token::LeftArrow)) {
            firstPlace(bindings_, at(begin).text, at(begin).span);
            if (top && !topLevel(at(begin).text)) {
                OutlineSymbol::Kind kind = OutlineSymbol::Kind::Variable;
                for (std::size_t i = begin + 2; i + 1 < end; ++i)
                    if (at(i).token == Token::Colon && at(i + 1).text == "<new>")
                        kind = OutlineSymbol::Kind::Object;
                if (begin + 3 == end && is(begin + 2, Token::BracketedName) && isCode(at(begin + 2).text))
                    kind = OutlineSymbol::Kind::Code;
                symbols_.push_back({std::string(at(begin).text), kind, whole, at(begin).span, {}});
            }
        } else if (is(begin, Token::RightArrow) && is(begin + 1, Token::Identifier)) {
            firstPlace(bindings_, at(begin + 1).text, at(begin + 1).span);
            if (top && !topLevel(at(begin + 1).text))
                symbols_.push_back({std::string(at(begin + 1).text),
                                    OutlineSymbol::Kind::Variable,
                                    whole,
                                    at(begin + 1).span,
                                    {}});
        } else if (begin + 7 < end && is(begin + 1, Token::Colon) && at(begin + 2).text == "<set>" &&
                   is(begin + 3, Token::OpenParen) && is(begin + 4, Token::BracketedName) &&
                   is(begin + 5, Token::Comma)) {
            const OutlineToken& member = at(begin + 4);
            firstPlace(members_, member.text, member.span);
            if (top && at(begin).token == Token::Identifier)
                if (OutlineSymbol* owner = topLevel(at(begin).text)) {
                    const bool method = is(begin + 6, Token::BracketedName) && isCode(at(begin + 6).text);
                    owner->children.push_back(
                        {std::string(member.text),
                         method ? OutlineSymbol::Kind::Method : OutlineSymbol::Kind::Member,
                         whole,
                         member.span,
                         {}});
                }
        }
        begin = end + 1;
    }
}

const OutlineToken* Outline::tokenAt(std::size_t offset) const {
    const OutlineToken* found = nullptr;
    for (const OutlineToken& token : tokens_)
        if (token.span.start <= offset && offset < token.span.end && (!found || token.depth > found->depth))
            found = &token;
    return found;
}

const Span* Outline::bindingOf(std::string_view identifier) const {
    auto found = bindings_.find(std::string(identifier));
    return found == bindings_.end() ? nullptr : &found->second;
}

const Span* Outline::memberSet(std::string_view bracketedName) const {
    auto found = members_.find(std::string(bracketedName));
    return found == members_.end() ? nullptr : &found->second;
}

namespace {

std::vector<std::string> sortedNames(const std::unordered_map<std::string, Span>& places) {
    std::vector<std::string> names;
    for (const auto& [name, place] : places)
        names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::vector<std::string> Outline::boundNames() const {
    return sortedNames(bindings_);
}

std::vector<std::string> Outline::memberNames() const {
    return sortedNames(members_);
}
