// libFuzzer entry: the lexer, then the parser, over the input bytes; nothing is executed.
// Besides not crashing, both must make progress: every token but the end consumes a byte and
// every statement a token, so a text of n bytes gives at most n of either. More would mean a
// lexer or parser that stopped consuming, which hangs the evaluation reading that text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "vm/runtime/Runtime.h"
#include "vm/statements/Statement.h"
#include "vm/text/Parser.h"

namespace {

void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

void lexWholeText(std::string_view text) {
    CharStream input = CharStream::view(text);
    Lexer lexer(input);
    std::size_t tokens = 0;
    while (lexer.getToken() != Token::End) {
        if (++tokens > text.size()) fail("the lexer gives more tokens than the text has bytes");
        lexer.nextToken();
    }
}

void parseWholeText(std::string_view text) {
    CharStream input = CharStream::view(text);
    Parser parser(input);
    std::size_t statements = 0;
    while (parser.parseStatement()) {
        if (++statements > text.size()) fail("the parser gives more statements than the text has bytes");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // A runtime of its own per input: the names read go with it.
    Runtime runtime;
    Runtime::Use use(runtime);
    lexWholeText(text);
    parseWholeText(text);
    return 0;
}
