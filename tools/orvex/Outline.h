// What a program binds and where, for an editor: every token of every text read as code, placed
// in the image, the first place each name is bound and each member set, and the program's
// symbols (its top-level names, the objects among them and the members set on those).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tools/orvex/SourceText.h"

struct Span {
    std::size_t start = 0, end = 0; // bytes of the image
};

struct OutlineToken {
    Span span;
    Token token;
    std::string_view text; // as written in its code text, valid while the source is
    int depth;             // 0 in the image, 1 in a code text written there, ...
};

struct OutlineSymbol {
    enum class Kind { Variable, Object, Code, Member, Method };
    std::string name;
    Kind kind;
    Span whole;   // the statement
    Span name_at; // the name in it
    std::vector<OutlineSymbol> children;
};

class Outline {
  public:
    // Called for each text in the order SourceText::forEachCode gives them.
    void add(const CodeText& code);

    // The innermost token at offset (a name written in code text is left for the tokens in it).
    const OutlineToken* tokenAt(std::size_t offset) const;
    // Where the identifier is first bound with '<-' or declared with '->'; where the member is
    // first set with <set>.
    const Span* bindingOf(std::string_view identifier) const;
    const Span* memberSet(std::string_view bracketedName) const;
    const std::vector<OutlineSymbol>& symbols() const { return symbols_; }
    // Names for completion: every identifier bound, every member set, each once.
    std::vector<std::string> boundNames() const;
    std::vector<std::string> memberNames() const;

  private:
    void firstPlace(std::unordered_map<std::string, Span>& places, std::string_view name, Span at);
    OutlineSymbol* topLevel(std::string_view name);

    std::vector<OutlineToken> tokens_;
    std::unordered_map<std::string, Span> bindings_, members_;
    std::vector<OutlineSymbol> symbols_;
};
