// Program texts with their places in the image file: the image itself, and every bracketed name
// in it that holds statements (a ';' outside nested brackets), read as code in its turn. Each
// byte of such a text is traced back, through its escapes, to where it is written in the file.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "vm/text/Token.h"

// Line and column from 1, the column in bytes.
struct Place {
    std::size_t line;
    std::size_t column;
};

// One text read as code: the image, or the inside of a bracketed name written in another text.
struct CodeText {
    std::string text;                // the bytes read, escapes read (the image's line ends made LF)
    const CodeText* outer = nullptr; // the text the name is written in; none for the image
    std::size_t start = 0;           // where the name's first inner byte stands in outer
    int depth = 0;                   // 0 for the image
    // At each escape: the offset in text after it, and where that byte stands in outer.
    std::vector<std::pair<std::size_t, std::size_t>> escapes;

    // Where byte offset of this text stands in the image, and in the text it is written in.
    std::size_t imageOffset(std::size_t offset) const;
    std::size_t outerOffset(std::size_t offset) const;
};

// How far an evaluation reads a text, and what stops it.
struct TextReading {
    std::size_t statements = 0;
    Token found = Token::End; // the token that makes no statement
    std::size_t at = 0;       // where it starts; the text's size at a clean end
    bool readAgain = false;   // found is the token before a character that starts no token
    bool unfinished = false;  // the text ends inside a comment or a bracketed name
    TokenSet expected = 0;    // what a statement could have had there
    std::string foundText;    // of a name or number found
    // Characters that start no token, before the stop; bracketed names read before it.
    std::vector<std::size_t> skipped;
    struct Name {
        std::size_t start, end;
        std::string text;
    };
    std::vector<Name> names;
    bool hasSemicolon = false;            // anywhere in the text, as a token of its own
    std::vector<std::string> identifiers; // every identifier written in the text
    // Each 'name <-' read before the stop; byRun when a code is run on the right (x <- f ( ) ;), which
    // binds the name in that code's context.
    struct Binding {
        std::string name;
        std::size_t at;
        bool byRun = false;
    };
    std::vector<Binding> bindings;

    // The text's end, where a statement could have begun.
    bool cleanEnd() const {
        return found == Token::End && !unfinished && !readAgain && (expected & tokenBit(Token::Comment));
    }
};

// Reads text as an evaluation would, statement by statement, and again token by token.
TextReading readText(std::string_view text);
class Parser;
// Where parser, over text, found no statement.
void readStop(const Parser& parser, std::string_view text, TextReading& reading);
// Why a text stops being read, in words; and whether stopping there loses nothing (the end, or
// a lone ';' with nothing after it).
std::string stopReason(std::string_view text, const TextReading& reading);
// The same for a text read as code, with what its source tells: a comment written inside it.
std::string stopReason(const CodeText& code, const TextReading& reading);
// Where a statement that lacks its ';' ends, when the token found instead stands on a later line
// (so the place to point at is the end of the statement, not the next line); npos otherwise.
std::size_t missingSemicolon(std::string_view text, const TextReading& reading);
// The name among names closest to name, when one is close enough to be a slip of the keyboard.
std::string closestName(std::string_view name, const std::vector<std::string>& names);
bool losesNothing(std::string_view text, const TextReading& reading);
std::string skippedCharacter(std::string_view text, std::size_t at);

class SourceText {
  public:
    // image: the file's bytes, line ends made LF.
    explicit SourceText(std::string image);

    const CodeText& image() const { return texts_.front(); }
    Place place(std::size_t imageOffset) const;
    // Lines after the one of imageOffset that hold anything but blanks.
    std::size_t linesAfter(std::size_t imageOffset) const;

    // Every text read as code, the image first, each one before the texts written in it, each
    // with its reading. Code nested deeper than maxDepth is left unread.
    static constexpr int maxDepth = 16;
    template <typename Visit> void forEachCode(Visit visit) {
        for (std::size_t i = 0; i < texts_.size(); ++i) {
            TextReading reading = readText(texts_[i].text);
            // A name with a ';' inside nested brackets only is a plain string after all.
            if (i > 0 && !reading.hasSemicolon) continue;
            if (texts_[i].depth < maxDepth)
                for (const TextReading::Name& name : reading.names)
                    addCodeText(texts_[i], name);
            visit(texts_[i], reading);
        }
    }
    // The text read as code with exactly these bytes, the first one written, or none.
    const CodeText* find(std::string_view text) const;

  private:
    void addCodeText(const CodeText& outer, const TextReading::Name& name);

    std::deque<CodeText> texts_; // stable: texts point at the one they are written in
    std::unordered_map<std::string_view, const CodeText*> byText_;
    std::vector<std::size_t> lineStarts_;
};

// Words for a reader.
std::string describeToken(Token token, std::string_view text);
std::string describeExpected(TokenSet expected);
// At most limit bytes of text, blanks folded, other control bytes escaped.
std::string shown(std::string_view text, std::size_t limit);
