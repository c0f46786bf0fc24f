// Random Orvex programs for stress runs. Most are valid statements over a small vocabulary of
// names, so that bindings collide and objects call, intercept, delete and re-parent each other
// with code nested several levels deep; the rest are valid programs with a few bytes mutated,
// token soup and raw bytes. The same kind and seed give the same text on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class ProgramKind { Valid, Mutated, TokenSoup, RandomBytes };

// "valid", "mutated", "soup", "bytes"; parseProgramKind returns false for anything else.
std::string_view programKindName(ProgramKind kind);
bool parseProgramKind(std::string_view name, ProgramKind& kind);

// splitmix64. The standard distributions are implementation-defined, and a seed printed by a
// failing run must rebuild the same program with any compiler.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // Uniform enough in [0, n); n must not be 0.
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    bool percent(unsigned p) { return below(100) < p; }
    template <class T, std::size_t N> const T& pick(const T (&items)[N]) { return items[below(N)]; }

  private:
    std::uint64_t state_;
};

class ProgramGenerator {
  public:
    ProgramGenerator(ProgramKind kind, std::uint64_t seed);
    std::string program();

    // A bracketed name whose evaluation runs text. Its backslashes are doubled: the lexer takes
    // one level of escapes off each bracketed name it reads, and text keeps its own escapes.
    static std::string codeLiteral(std::string_view text);

  private:
    std::string validProgram();
    std::string mutated(std::string text);
    std::string tokenSoup();
    std::string randomBytes();

    void block(std::string& out, int depth, std::size_t statements);
    void statement(std::string& out, int depth);
    void callStatement(std::string& out, int depth);
    void primitiveStatement(std::string& out, int depth);
    void idiom(std::string& out, int depth);

    std::string code(int depth);
    std::string variable();
    std::string receiver(int depth);
    std::string value(int depth);
    std::string key();
    std::string method();
    std::string parameters(int depth, bool allowCode);
    std::string literal();

    ProgramKind kind_;
    Random random_;
};
