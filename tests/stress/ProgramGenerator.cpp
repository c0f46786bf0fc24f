// Random Orvex programs: the vocabulary, the statement shapes and their weights.
#include "tests/stress/ProgramGenerator.h"

namespace {

// Few names, so that what one statement binds, another calls, deletes or re-parents.
constexpr const char* variables[] = {"a", "b", "c", "o", "p", "f", "g", "x", "y", "t"};
// Names the world or a call frame binds; deleting or rebinding them is where faults hide.
constexpr const char* specials[] = {"nil",    "String", "System", "Extern", "params",
                                    "sender", "mySelf", "return", "true",   "false"};
constexpr const char* frameNames[] = {"params", "sender", "mySelf", "return"};
constexpr const char* keys[] = {"<m>",       "<n>", "<k>", "<id>", "<super>", "<:>",     "<()>", "<)(>",
                                "<objects>", "<0>", "<1>", "<2>",  "<true>",  "<false>", "<a>",  "<nil>"};
constexpr const char* ownMethods[] = {"<m>", "<n>", "<k>"};
constexpr const char* primitives[] = {
    "<new>",     "<delete>",      "<set>",   "<get>",  "<has>",           "<remove>",          "<firstKey>",
    "<nextKey>", "<getRefCount>", "<enter>", "<exit>", "<lockTwoPoints>", "<unlockTwoPoints>", "<print>",
    "<invoke>"};
// Texts as their own lexer reads them: "<\-1>" is the literal <-1>, which "<-" would otherwise open.
constexpr const char* literals[] = {"<m>",      "<a>",     "<x>",      "<0>",          "<1>",
                                    "<2>",      "<7>",     "<\\-1>",   "<2147483647>", "<\\-2147483648>",
                                    "<1.5>",    "<1e308>", "<true>",   "<false>",      "<>",
                                    "<\\n>",    "<nil>",   "<String>", "<System>",     "<objects>",
                                    "<params>", "<print>", "<new>",    "<a b c>"};
constexpr const char* operations[] = {"<==>", "<+>",      "<->",      "<*>",      "</>",
                                      "<%>",  "<append>", "<length>", "<random>", "<nope>"};
constexpr const char* interfaces[] = {"String", "String", "String", "<String>", "<Math>", "nil"};

// Token soup: the grammar's tokens, those it never accepts, and bytes no token starts with.
constexpr const char* soupTokens[] = {
    "a",        "b",      "o",      "f",       "x",         "nil",        "String",    "System",    "Extern",
    "params",   "sender", "mySelf", "return",  "true",      "<m>",        "<id>",      "<super>",   "<:>",
    "<()>",     "<)(>",   "<new>",  "<set>",   "<get>",     "<delete>",   "<print>",   "<enter>",   "<exit>",
    "<invoke>", "<+>",    "<->",    "<1>",     "<>",        "<a <- b ;>", "<f ( ) ;>", "<f ) ( ;>", ";",
    ";",        ";",      "(",      ")",       "(",         ")",          ",",         ":",         ":",
    "<-",       "<-",     "->",     ".",       ">",         "+",          "*",         "-",         "/",
    "%",        "==",     "=",      "\\",      "\\* c \\*", "\\*",        "\\**",      "0",         "12",
    "<",        "<<>",    "<\\<>",  "<a<b>c>", "\xff",      "\xc3\xa9",   "\r",        "\x1a",      "\t",
    "\n",       "\\n",    "<\\-1>", "<\\x>"};

// The soup tokens that keep '<' and '>' balanced inside a code literal around them.
constexpr const char* balancedSoupTokens[] = {
    "a",      "b",      "o",          "f",         "x",         "nil",      "String", "params", "sender",
    "mySelf", "return", "true",       "<m>",       "<id>",      "<super>",  "<:>",    "<()>",   "<)(>",
    "<new>",  "<set>",  "<get>",      "<delete>",  "<print>",   "<enter>",  "<exit>", "<+>",    "<->",
    "<1>",    "<>",     "<a <- b ;>", "<f ( ) ;>", "<f ) ( ;>", ";",        ";",      "(",      ")",
    "(",      ")",      ",",          ":",         ":",         "<-",       "<-",     "->",     ".",
    "+",      "*",      "-",          "/",         "%",         "==",       "=",      "\\",     "\\* c \\*",
    "\\*",    "0",      "12",         "<a<b>c>",   "\xff",      "\xc3\xa9", "\r",     "\x1a",   "\t",
    "\n",     "\\n",    "<\\-1>",     "<\\x>"};

// Bytes that steer the lexer, for mutations and raw input.
constexpr char syntaxBytes[] = {'<',  '>', '-', ';',  '(', ')', ',', ':',
                                '\\', '*', ' ', '\n', 'a', 'x', '0', '='};

std::size_t statementCount(Random& random, int depth) {
    switch (depth) {
    case 0:
        return 8 + random.below(53);
    case 1:
        return 1 + random.below(6);
    case 2:
        return 1 + random.below(4);
    default:
        return 1 + random.below(3);
    }
}

constexpr int maxDepth = 4;

} // namespace

std::string_view programKindName(ProgramKind kind) {
    switch (kind) {
    case ProgramKind::Valid:
        return "valid";
    case ProgramKind::Mutated:
        return "mutated";
    case ProgramKind::TokenSoup:
        return "soup";
    case ProgramKind::RandomBytes:
        return "bytes";
    }
    return "?";
}

bool parseProgramKind(std::string_view name, ProgramKind& kind) {
    for (ProgramKind k :
         {ProgramKind::Valid, ProgramKind::Mutated, ProgramKind::TokenSoup, ProgramKind::RandomBytes})
        if (programKindName(k) == name) {
            kind = k;
            return true;
        }
    return false;
}

std::uint64_t Random::next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// The kind goes into the seed so that seed N of two kinds are unrelated programs.
ProgramGenerator::ProgramGenerator(ProgramKind kind, std::uint64_t seed)
    : kind_(kind), random_(seed * 4 + static_cast<std::uint64_t>(kind)) {}

std::string ProgramGenerator::program() {
    switch (kind_) {
    case ProgramKind::Valid:
        return validProgram();
    case ProgramKind::Mutated:
        return mutated(validProgram());
    case ProgramKind::TokenSoup:
        return tokenSoup();
    case ProgramKind::RandomBytes:
        return randomBytes();
    }
    return {};
}

std::string ProgramGenerator::codeLiteral(std::string_view text) {
    std::string out = "<";
    for (char ch : text) {
        if (ch == '\\') out += '\\';
        out += ch;
    }
    out += '>';
    return out;
}

std::string ProgramGenerator::validProgram() {
    std::string out;
    // Most programs bind the truth values, which <has> and the two-points call need.
    if (random_.percent(85)) out += "true <- <true> ; false <- <false> ; ";
    block(out, 0, statementCount(random_, 0));
    return out;
}

std::string ProgramGenerator::mutated(std::string text) {
    const std::size_t edits = 1 + random_.below(4);
    for (std::size_t i = 0; i < edits; ++i) {
        const std::size_t at = random_.below(text.size() + 1);
        switch (random_.below(5)) {
        case 0: // delete a few bytes
            text.erase(at, 1 + random_.below(8));
            break;
        case 1: // insert a token
            text.insert(at, random_.pick(soupTokens));
            break;
        case 2: // replace a byte with one that steers the lexer
            if (at < text.size()) text[at] = random_.pick(syntaxBytes);
            break;
        case 3: // replace a byte with any byte
            if (at < text.size()) text[at] = static_cast<char>(random_.below(256));
            break;
        default: { // duplicate a stretch
            const std::size_t length = random_.below(40);
            text.insert(at, text.substr(at, length));
            break;
        }
        }
    }
    return text;
}

std::string ProgramGenerator::tokenSoup() {
    std::string out;
    if (random_.percent(50)) {
        const std::size_t tokens = 5 + random_.below(200);
        for (std::size_t i = 0; i < tokens; ++i) {
            out += random_.pick(soupTokens);
            if (random_.percent(80)) out += ' ';
        }
        return out;
    }
    // A syntax error ends only the evaluation it is in, so soup wrapped in code literals that are
    // stored, called and started reaches the parser many times per program.
    out += "true <- <true> ; false <- <false> ; ";
    const std::size_t pieces = 2 + random_.below(30);
    for (std::size_t i = 0; i < pieces; ++i) {
        std::string soup;
        const std::size_t tokens = 1 + random_.below(20);
        for (std::size_t j = 0; j < tokens; ++j) {
            soup += random_.pick(balancedSoupTokens);
            if (random_.percent(80)) soup += ' ';
        }
        const std::string literal = codeLiteral(soup);
        switch (random_.below(5)) {
        case 0:
            out += literal + " ( " + parameters(1, false) + " ) ; ";
            break;
        case 1:
            out += literal + " ) " + parameters(1, false) + " ( ; ";
            break;
        case 2:
            out += variable() + " <- " + literal + " ; ";
            break;
        case 3:
            out += receiver(0) + " : <set> ( " + key() + " , " + literal + " ) ; ";
            break;
        default:
            statement(out, 1);
            break;
        }
    }
    return out;
}

std::string ProgramGenerator::randomBytes() {
    std::string out;
    const std::size_t length = 1 + random_.below(300);
    for (std::size_t i = 0; i < length; ++i)
        out += random_.percent(60) ? random_.pick(syntaxBytes) : static_cast<char>(random_.below(256));
    return out;
}

void ProgramGenerator::block(std::string& out, int depth, std::size_t statements) {
    for (std::size_t i = 0; i < statements; ++i)
        statement(out, depth);
}

std::string ProgramGenerator::code(int depth) {
    // The idioms ask for code at any depth; past the limit a literal stands in, or the doubling
    // of backslashes and the text itself would grow without bound.
    if (depth >= maxDepth) return literal();
    std::string inner;
    block(inner, depth + 1, statementCount(random_, depth + 1));
    return codeLiteral(inner);
}

std::string ProgramGenerator::variable() {
    return random_.pick(variables);
}

// Inside code, the call frame's names are the interesting receivers.
std::string ProgramGenerator::receiver(int depth) {
    const std::size_t roll = random_.below(100);
    if (depth > 0 && roll < 30) return random_.pick(frameNames);
    if (roll < 75) return variable();
    if (roll < 92) return random_.pick(specials);
    return literal();
}

std::string ProgramGenerator::literal() {
    return random_.pick(literals);
}

std::string ProgramGenerator::value(int depth) {
    static constexpr unsigned codeShare[maxDepth] = {30, 20, 10, 5};
    const std::size_t roll = random_.below(100);
    if (depth < maxDepth && roll < codeShare[depth]) return code(depth);
    if (roll < 60) return variable();
    if (roll < 75)
        return depth > 0 && random_.percent(50) ? random_.pick(frameNames) : random_.pick(specials);
    return literal();
}

std::string ProgramGenerator::key() {
    return random_.pick(keys);
}

std::string ProgramGenerator::method() {
    const std::size_t roll = random_.below(100);
    if (roll < 60) return random_.pick(ownMethods);
    if (roll < 85) return random_.pick(primitives);
    return key();
}

std::string ProgramGenerator::parameters(int depth, bool allowCode) {
    std::string out;
    const std::size_t count = random_.below(4);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) out += " , ";
        // An unbound identifier stops the binding of the parameters half way.
        if (random_.percent(3))
            out += "unbound";
        else
            out += allowCode ? value(depth) : (random_.percent(50) ? variable() : literal());
    }
    return out;
}

void ProgramGenerator::statement(std::string& out, int depth) {
    const std::size_t roll = random_.below(100);
    if (roll < 12) {
        out += variable() + " <- " + value(depth) + " ; ";
    } else if (roll < 15) {
        out += "-> " + variable() + " ; ";
    } else if (roll < 22) {
        out += variable() + " <- " + (random_.percent(80) ? std::string("nil") : receiver(depth)) +
               " : <new> ( ) ; ";
    } else if (roll < 36) {
        out += receiver(depth) + " : <set> ( " + key() + " , " + value(depth) + " ) ; ";
    } else if (roll < 41) {
        out += variable() + " <- " + receiver(depth) + (random_.percent(50) ? " : <get> ( " : " : <has> ( ") +
               key() + " ) ; ";
    } else if (roll < 45) {
        out += variable() + " <- " + receiver(depth) + " : " + method() + " ; ";
    } else if (roll < 66) {
        callStatement(out, depth);
    } else if (roll < 80) {
        primitiveStatement(out, depth);
    } else if (roll < 82) {
        out += "\\* a comment \\* ";
    } else if (roll < 92) {
        idiom(out, depth);
    } else if (roll < 97) {
        out += (depth > 0 ? "return" : variable()) + " <- " + value(depth) + " ; ";
    } else if (roll < 99) {
        out += random_.percent(50) ? "true <- <true> ; " : "false <- " + value(depth) + " ; ";
    } else if (depth > 0 || random_.percent(10)) {
        // A syntax error ends the text that holds it: rare in the main text, or nothing after it
        // would ever run.
        out += random_.percent(50) ? "; " : "x <- y : m ; ";
    } else {
        out += "-> " + variable() + " ; ";
    }
}

void ProgramGenerator::callStatement(std::string& out, int depth) {
    const bool synchronous = random_.percent(65);
    const std::string target = synchronous && random_.percent(50) ? variable() + " <- " : "";
    std::string callee;
    switch (random_.below(3)) {
    case 0:
        callee = receiver(depth) + " : " + method();
        break;
    case 1:
        callee = variable();
        break;
    default:
        callee = code(depth);
        break;
    }
    const std::string args = parameters(depth, true);
    out += target + callee + (synchronous ? " ( " + args + " ) ; " : " ) " + args + " ( ; ");
}

void ProgramGenerator::primitiveStatement(std::string& out, int depth) {
    const std::string r = receiver(depth);
    switch (random_.below(12)) {
    case 0:
    case 1:
        out += r + " : <delete> ( ) ; ";
        break;
    case 2:
        out += r + " : <remove> ( " + key() + " ) ; ";
        break;
    case 3:
        out += variable() + " <- " + r + " : <firstKey> ( ) ; ";
        break;
    case 4:
        out += variable() + " <- " + r + " : <nextKey> ( " + (random_.percent(50) ? key() : variable()) +
               " ) ; ";
        break;
    case 5:
        out += variable() + " <- " + r + " : <getRefCount> ( ) ; ";
        break;
    case 6:
        // A thread that enters and is never let out stops every evaluation, so most enters get their exit.
        out += r + " : <enter> ( ) ; ";
        if (random_.percent(70)) out += r + " : <exit> ( ) ; ";
        break;
    case 7:
        out += r + " : <exit> ( ) ; ";
        break;
    case 8:
        out += r + (random_.percent(50) ? " : <lockTwoPoints> ( ) ; " : " : <unlockTwoPoints> ( ) ; ");
        break;
    case 9:
        out += r + " : <print> ( ) ; ";
        break;
    default: {
        // One operand is always a literal: a name appended to itself in a loop doubles every turn.
        std::string left = random_.percent(50) ? variable() : literal();
        std::string right = literal();
        if (random_.percent(50)) std::swap(left, right);
        std::string args = std::string(random_.pick(interfaces)) + " , " + random_.pick(operations) + " , " +
                           left + " , " + right;
        if (random_.percent(5)) args = parameters(depth, false);
        out += variable() + " <- " + (random_.percent(90) ? "Extern" : r) + " : <invoke> ( " + args + " ) ; ";
        break;
    }
    }
}

// Shapes that random statements rarely assemble by themselves.
void ProgramGenerator::idiom(std::string& out, int depth) {
    const std::string o = variable();
    const std::string p = variable();
    const std::string m = random_.pick(ownMethods);
    switch (random_.below(13)) {
    case 0: { // a counting loop that ends, through a table keyed by true and false
        const std::string limit = random_.pick(literals);
        const std::string n = random_.percent(50) ? "<3>" : "<20>";
        out += "true <- <true> ; false <- <false> ; counter <- <0> ; " + o + " <- nil : <new> ( ) ; " + p +
               " <- nil : <new> ( ) ; " + o + " : <set> ( " + m + " , " +
               codeLiteral("counter <- Extern : <invoke> ( String , <+> , counter , <1> ) ; done <- Extern : "
                           "<invoke> ( String , <==> , counter , " +
                           (random_.percent(70) ? n : limit) + " ) ; next <- " + p +
                           " : <get> ( done ) ; next ( ) ;") +
               " ) ; " + p + " : <set> ( <true> , " + codeLiteral("counter : <print> ( ) ;") + " ) ; " + p +
               " : <set> ( <false> , " +
               codeLiteral(o + " : " + m + (random_.percent(70) ? " ( ) ;" : " ) ( ;")) + " ) ; " + o +
               " : " + m + " ( ) ; ";
        break;
    }
    case 1: // code that starts itself again, asynchronously or synchronously, forever
        out += o + " <- " + codeLiteral(o + (random_.percent(50) ? " ) ( ;" : " ( ) ;")) + " ; " + o +
               (random_.percent(50) ? " ) ( ; " : " ( ) ; ");
        break;
    case 2: // a method that sends itself to its sender, asynchronously
        out += o + " : <set> ( " + m + " , " + codeLiteral("sender : " + m + " ) ( ;") + " ) ; " + o + " : " +
               m + " ) ( ; ";
        break;
    case 3: // interception
        out += o + " : <set> ( <:> , " + code(depth) + " ) ; " + o + " : <set> ( " + m + " , " +
               value(depth) + " ) ; " + variable() + " <- " + o + " : " + m + " ; " + o + " : " + m + " ( " +
               parameters(depth, false) + " ) ; ";
        break;
    case 4: // a <super> cycle, then lookups that walk it
        out += o + " : <set> ( <super> , " + p + " ) ; " + p + " : <set> ( <super> , " + o + " ) ; " +
               variable() + " <- " + o + " : <zz> ; " + o + " : <print> ( ) ; " + o + " : " + m + " ( ) ; ";
        break;
    case 5: { // deleting what the world cannot do without
        static constexpr const char* victims[] = {
            "nil : <delete> ( ) ; ",
            "String : <delete> ( ) ; ",
            "System : <delete> ( ) ; ",
            "Extern : <delete> ( ) ; ",
            "r <- System : <objects> ; r : <delete> ( ) ; ",
            "r <- nil : <print> ; r : <delete> ( ) ; ",
            "r <- nil : <delete> ; r : <delete> ( ) ; ",
            "r <- Extern : <invoke> ; r : <delete> ( ) ; ",
            "r <- nil : <id> ; r : <delete> ( ) ; ",
            "true : <delete> ( ) ; ",
            "<a> : <delete> ( ) ; ",
        };
        out += random_.pick(victims);
        break;
    }
    case 6: // a method that deletes its own call frame while it runs
        out += o + " : <set> ( " + m + " , " +
               codeLiteral(std::string(random_.pick(frameNames)) + " : <delete> ( ) ; " +
                           random_.pick(frameNames) +
                           " : <delete> ( ) ; mySelf : <print> ( ) ; return <- sender ; " + "sender : " + m +
                           " ( ) ;") +
               " ) ; " + variable() + " <- " + o + " : " + m + " ( " + parameters(depth, false) + " ) ; ";
        break;
    case 7: // methods whose code is a member of their own
        out += p + " <- nil : <new> ( ) ; " + p + " : <set> ( <()> , " + code(depth) + " ) ; " + p +
               " : <set> ( <)(> , " + code(depth) + " ) ; " + o + " : <set> ( " + m + " , " + p + " ) ; " +
               variable() + " <- " + o + " : " + m + " ( " + parameters(depth, false) + " ) ; " + o + " : " +
               m + " ) ( ; ";
        break;
    case 8: // identifiers replaced and removed, which re-keys the registry
        out += o + " : <set> ( <id> , " + value(depth) + " ) ; " + o + " : <print> ( ) ; " + o +
               " : <remove> ( <id> ) ; " + o + " : <print> ( ) ; " + variable() + " <- " + o +
               " : <get> ( <id> ) ; ";
        break;
    case 9: // walking keys, the registry's included
        out += "r <- System : <objects> ; " + o + " <- r : <firstKey> ( ) ; " + o + " <- r : <nextKey> ( " +
               o + " ) ; " + o + " <- r : <nextKey> ( <nil> ) ; " + p + " <- " + o + " : <firstKey> ( ) ; ";
        break;
    case 10: // asynchronous enter and exit from separate evaluations
        out +=
            codeLiteral(o + " : <enter> ( ) ;") + " ) ( ; " + codeLiteral(o + " : <exit> ( ) ;") + " ) ( ; ";
        break;
    case 11: { // an object grown past a handful of members, walked, thinned out and deleted
        static constexpr const char* holders[] = {"nil", "String", "r"};
        const std::string holder = random_.percent(70) ? o : random_.pick(holders);
        out += "r <- System : <objects> ; ";
        const std::size_t members = 10 + random_.below(20);
        for (std::size_t i = 0; i < members; ++i)
            out += holder + " : <set> ( <k" + std::to_string(random_.below(40)) + "> , " +
                   (random_.percent(80) ? variable() : value(depth)) + " ) ; ";
        for (std::size_t i = 0; i < 6; ++i) {
            const std::string k = "<k" + std::to_string(random_.below(40)) + ">";
            switch (random_.below(5)) {
            case 0:
                out += p + " <- " + holder + " : <firstKey> ( ) ; ";
                break;
            case 1:
                out += p + " <- " + holder + " : <nextKey> ( " + (random_.percent(50) ? k : p) + " ) ; ";
                break;
            case 2:
                out += holder + " : <remove> ( " + k + " ) ; ";
                break;
            case 3:
                out += p + " <- " + holder + " : <get> ( " + k + " ) ; ";
                break;
            default:
                out += p + " <- " + holder + " : " + k + " ; ";
                break;
            }
        }
        if (random_.percent(30)) out += holder + " : <delete> ( ) ; ";
        break;
    }
    default: // the pieces of a program's frame handed on as parameters and targets
        out += "return <- " + code(depth) + " ; " + variable() +
               " <- params : <get> ( <0> ) ; sender : " + m + " ) params , mySelf ( ; " + "return ( ) ; ";
        break;
    }
}
